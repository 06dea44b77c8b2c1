#pragma once
// Clipboard formats by number, as the picture classes use them: the bitmap format, and formats
// registered by name ("GIF Image", ...) that travel as custom MIME types.
#include <QByteArray>
#include <QString>

class QMimeData;

namespace platform {

using ClipboardFormat = unsigned;
constexpr ClipboardFormat CF_BITMAP = 2;

// The same name always gives the same number (from 0xC000 on); an empty name gives 0.
ClipboardFormat RegisterClipboardFormat(const QString &name);
// The registered name, or an empty string for an unknown number.
QString ClipboardFormatName(ClipboardFormat format);
// "application/x-kestrova-<name in lower case, blanks as dashes>"; the bitmap format is the image type.
QString ClipboardFormatMime(ClipboardFormat format);

bool HasFormat(const QMimeData &data, ClipboardFormat format);
QByteArray FormatData(const QMimeData &data, ClipboardFormat format);
void SetFormatData(QMimeData &data, ClipboardFormat format, const QByteArray &bytes);

// The system clipboard.
bool ClipboardHasFormat(ClipboardFormat format);
const QMimeData *ClipboardData();
// Takes ownership of the data.
void SetClipboardData(QMimeData *data);

} // namespace platform
