#pragma once
// What the programs say about themselves (version and license), and where
// they find their own data files: the settings file VESKA.INI, the help and
// the generator's library. In a build tree, or a copy of the programs made
// by hand, these lie beside the programs; an installation keeps them in its
// data folder, share/veska beside the bin folder that holds the programs.

#include <QString>

namespace veska {

// The version of this build, as "MAJOR.MINOR".
QString ProgramVersion();
// The license of the programs, as an SPDX expression.
QString ProgramLicense();
// The text of "--version" of the named program: name and version, the
// license and the absence of a warranty, one line each.
QString VersionText(const QString& programName);

// The folder of the installation's data files for a program in
// `programDirectory`: the share/veska folder relative to it.
QString InstalledDataDirectory(const QString& programDirectory);
// The folder that holds the data files of a program in `programDirectory`:
// that directory when VESKA.INI is there, else the installed data folder
// when VESKA.INI is there, else the program's directory (where a missing
// settings file reads as empty).
QString DataDirectory(const QString& programDirectory);

}  // namespace veska
