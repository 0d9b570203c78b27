#include "platform/Profile.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <climits>

namespace platform {

namespace {

bool isSectionLine(const QString& trimmed) { return trimmed.startsWith(u'[') && trimmed.contains(u']'); }

QString sectionName(const QString& trimmed) {
    return trimmed.mid(1, trimmed.indexOf(u']') - 1).trimmed();
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

std::optional<int> parseProfileInteger(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool negative = false;
    if (t.front() == u'-' || t.front() == u'+') {
        negative = t.front() == u'-';
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    const qlonglong magnitude = t.toLongLong(&ok, base);
    // toLongLong accepts a sign of its own; a second sign is not an integer.
    if (!ok || t.front() == u'-' || t.front() == u'+') return std::nullopt;
    const qlonglong value = negative ? -magnitude : magnitude;
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

Profile::Profile(QString path) : path_(std::move(path)) {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    QTextStream in(&file);
    while (!in.atEnd()) lines_.append(in.readLine());
}

std::optional<qsizetype> Profile::findSection(const QString& section) const {
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const QString t = lines_[i].trimmed();
        if (isSectionLine(t) && sameName(sectionName(t), section)) return i;
    }
    return std::nullopt;
}

std::optional<qsizetype> Profile::findKey(qsizetype sectionLine, const QString& key) const {
    for (qsizetype i = sectionLine + 1; i < lines_.size(); ++i) {
        const QString t = lines_[i].trimmed();
        if (isSectionLine(t)) break;
        if (t.startsWith(u';')) continue;
        const qsizetype eq = t.indexOf(u'=');
        if (eq > 0 && sameName(t.left(eq).trimmed(), key)) return i;
    }
    return std::nullopt;
}

QString Profile::readString(const QString& section, const QString& key, const QString& defaultValue) const {
    const auto s = findSection(section);
    if (!s) return defaultValue;
    const auto k = findKey(*s, key);
    if (!k) return defaultValue;
    const QString& line = lines_[*k];
    return line.mid(line.indexOf(u'=') + 1).trimmed();
}

int Profile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    const auto s = findSection(section);
    if (!s || !findKey(*s, key)) return defaultValue;
    return parseProfileInteger(readString(section, key, QString())).value_or(defaultValue);
}

bool Profile::containsKey(const QString& section, const QString& key) const {
    const auto s = findSection(section);
    return s && findKey(*s, key);
}

void Profile::eraseSection(const QString& section) {
    const auto s = findSection(section);
    if (!s) return;
    qsizetype end = *s + 1;
    while (end < lines_.size() && !isSectionLine(lines_[end].trimmed())) ++end;
    lines_.remove(*s, end - *s);
    dirty_ = true;
}

void Profile::writeString(const QString& section, const QString& key, const QString& value) {
    const QString entry = key + u'=' + value;
    dirty_ = true;
    const auto s = findSection(section);
    if (!s) {
        if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty()) lines_.append(QString());
        lines_.append(u'[' + section + u']');
        lines_.append(entry);
        return;
    }
    if (const auto k = findKey(*s, key)) {
        lines_[*k] = entry;
        return;
    }
    // New key: after the section's last non-blank line, so blank separators stay between sections.
    qsizetype insertAt = *s + 1;
    for (qsizetype i = *s + 1; i < lines_.size() && !isSectionLine(lines_[i].trimmed()); ++i)
        if (!lines_[i].trimmed().isEmpty()) insertAt = i + 1;
    lines_.insert(insertAt, entry);
}

void Profile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

bool Profile::flush() {
    if (!dirty_) return true;
    QSaveFile file(path_);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    QTextStream out(&file);
    for (const QString& line : lines_) out << line << '\n';
    out.flush();
    if (out.status() != QTextStream::Ok || !file.commit()) return false;
    dirty_ = false;
    return true;
}

}  // namespace platform
