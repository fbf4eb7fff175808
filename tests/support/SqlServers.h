#pragma once
// The shared SQL servers of testkit/SqlServers.h in the tests: stopped when
// the tests end, and a database that cannot be made fails the test. A
// missing server or client fails the tests.

#include "testkit/SqlServers.h"

namespace veska::test {

using testkit::RunProgram;
using testkit::RunSqlite3;
using testkit::TMariaDbServer;
using testkit::TPostgresServer;
using testkit::TProgramOutput;
using testkit::TSqlServer;

}  // namespace veska::test
