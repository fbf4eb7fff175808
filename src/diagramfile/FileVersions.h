#pragma once
// The tags that open a diagram file's first line, one per version of the
// file, the oldest first. Reading knows all four; writing writes the last.

#include <QString>

namespace veska {

inline const QString kVersionTags[4] = {QStringLiteral("V1.00-KX"), QStringLiteral("V1.01-KX"),
                                        QStringLiteral("V1.20-KX"), QStringLiteral("V3.00-KX")};
constexpr int kWrittenVersion = 3;

}  // namespace veska
