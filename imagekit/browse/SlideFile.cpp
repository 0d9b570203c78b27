#include "browse/SlideFile.h"

#include <QIODevice>
#include <QStringDecoder>

#include <limits>

SlideLineReadings readSlideLine(const QString& line) {
    SlideLineReadings r;
    r.whole = {line, 0};
    qsizetype digits = line.size();
    while (digits > 0 && line.at(digits - 1) >= u'0' && line.at(digits - 1) <= u'9') --digits;
    if (digits == line.size() || digits < 2 || line.at(digits - 1) != u' ') return r;
    bool ok = false;
    const int page = line.mid(digits).toInt(&ok);
    if (!ok || page > std::numeric_limits<std::int16_t>::max()) return r;
    qsizetype end = digits - 1;
    while (end > 0 && line.at(end - 1) == u' ') --end;
    if (end == 0) return r;
    r.hasPage = true;
    r.withPage = {line.left(end), static_cast<std::int16_t>(page)};
    return r;
}

QString slideLineText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLocal8Bit(bytes) : text;
}

namespace {

// One line of at most kSlideMaxLineBytes bytes without its line end; the rest of a longer
// line is read and dropped. False at the end of the device.
bool nextLine(QIODevice& device, QByteArray& line, bool& cut) {
    line = device.readLine(kSlideMaxLineBytes + 1);
    if (line.isEmpty()) return false;
    cut = false;
    if (!line.endsWith('\n') && !line.endsWith('\r') && !device.atEnd()) {
        cut = true;
        QByteArray rest;
        do rest = device.readLine(kSlideMaxLineBytes + 1);
        while (!rest.isEmpty() && !rest.endsWith('\n'));
    }
    if (line.endsWith('\n')) line.chop(1);
    if (line.endsWith('\r')) line.chop(1);
    return true;
}

}  // namespace

std::vector<SlideLine> readSlideFile(QIODevice& device, const std::function<bool(const SlideLine&)>& accept) {
    std::vector<SlideLine> entries;
    QByteArray bytes;
    bool cut = false;
    for (int lines = 0; lines < kSlideMaxLines && entries.size() < kSlideMaxEntries && nextLine(device, bytes, cut);
         ++lines) {
        if (cut) continue;  // a path this long is no file name
        qsizetype start = 0;
        while (start < bytes.size() && (bytes.at(start) == ' ' || bytes.at(start) == '\t')) ++start;
        if (start == bytes.size()) continue;
        const SlideLineReadings r = readSlideLine(slideLineText(bytes.mid(start)));
        if (r.hasPage && accept(r.withPage))
            entries.push_back(r.withPage);
        else if (accept(r.whole))
            entries.push_back(r.whole);
    }
    return entries;
}
