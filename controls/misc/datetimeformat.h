#pragma once
// Date and time formatting with our pattern letters ("c", "t", "tt", "ddddd", "dddddd",
// "d.mm.yyyy", "hh:nn:ss", "am/pm", quoted literals ...), in the system locale.
#include <QDateTime>
#include <QString>

namespace misc {

QString FormatDateTime(const QString &format, const QDateTime &value);

} // namespace misc
