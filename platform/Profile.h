#pragma once
// Profile (INI) files with the semantics of Windows private-profile services:
// section and key names match without regard to case, a missing file, section or key,
// or a value that is not an integer yields the caller's default, and writing creates
// the file, section and key as needed while keeping every other line as it was.

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace platform {

// Parses an integer the way profile values are read: surrounding blanks ignored,
// optional sign, decimal or hexadecimal ("0x1F", "$1F"); anything else is no integer.
std::optional<int> parseProfileInteger(const QString& text);

class Profile {
public:
    // Opens (reads) the file; a missing or unreadable file is an empty profile.
    explicit Profile(QString path);

    const QString& path() const { return path_; }
    // Later flushes write to this file instead: a profile read from one file, kept in another.
    void setPath(QString path) { path_ = std::move(path); }

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // Whether the section holds the key (a value line, not a comment).
    bool containsKey(const QString& section, const QString& key) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    // Removes the section: its header, its keys and the lines up to the next section.
    void eraseSection(const QString& section);

    // Writes the changed lines back; false when the file cannot be written.
    // The previous file is replaced only once the new content is complete.
    bool flush();

private:
    std::optional<qsizetype> findSection(const QString& section) const;
    std::optional<qsizetype> findKey(qsizetype sectionLine, const QString& key) const;

    QString path_;
    QStringList lines_;
    bool dirty_ = false;
};

}  // namespace platform
