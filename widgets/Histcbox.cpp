#include "widgets/Histcbox.h"

#include "platform/ExecutableDir.h"
#include "platform/Profile.h"
#include "widgets/HistcboxRules.h"

#include <QSettings>
#include <QTimer>

namespace widgets {

namespace {

bool loadsAutomatically(THistoryMode m) { return m == THistoryMode::hsAuto || m == THistoryMode::hsAutoLoad; }
bool savesAutomatically(THistoryMode m) { return m == THistoryMode::hsAuto || m == THistoryMode::hsAutoSave; }

// The user's settings store, with the registry key and section as the group path.
QString registryGroup(const QString& key, const QString& section) {
    QString group = key;
    group.replace(u'\\', u'/');
    return group + u'/' + section;
}

QSettings userSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("VidiraZorod"),
                     QStringLiteral("VidiraZorod"));
}

}  // namespace

THistoryComboBox::THistoryComboBox(QWidget* parent) : QComboBox(parent) {
    QTimer::singleShot(0, this, &THistoryComboBox::Loaded);
}

THistoryComboBox::~THistoryComboBox() {
    // The items are still held here, before the base class lets go of them.
    if (!savesAutomatically(saveMode_)) return;
    if (!saveKeyName_.isEmpty())
        SaveToRegistry();
    else if (!saveFileName_.isEmpty())
        SaveToFile();
}

void THistoryComboBox::Loaded() {
    if (loaded_) return;
    loaded_ = true;
    if (!loadsAutomatically(saveMode_)) return;
    if (!saveKeyName_.isEmpty())
        LoadFromRegistry();
    else if (!saveFileName_.isEmpty())
        LoadFromFile();
}

QString THistoryComboBox::section() const {
    return saveSectionName_.isEmpty() ? objectName() : saveSectionName_;
}

QStringList THistoryComboBox::Items() const {
    QStringList items;
    items.reserve(count());
    for (int i = 0; i < count(); ++i) items.append(itemText(i));
    return items;
}

int THistoryComboBox::AddText(const QString& text) {
    QStringList items = Items();
    const int added = addHistoryText(items, text);
    if (items == Items()) return added;
    // The edit text survives the rebuilt list.
    const QString current = currentText();
    clear();
    addItems(items);
    if (isEditable()) setEditText(current);
    return added;
}

int THistoryComboBox::AddText() { return AddText(currentText()); }

bool THistoryComboBox::SaveToFile(const QString& name) {
    platform::Profile profile(historyFilePath(name, platform::executableDir()));
    const QString s = section();
    const QStringList items = Items();
    profile.eraseSection(s);
    profile.writeInteger(s, historyCountKey(), static_cast<int>(items.size()));
    for (int i = 0; i < items.size(); ++i) profile.writeString(s, historyEntryKey(i), items[i]);
    return profile.flush();
}

bool THistoryComboBox::SaveToFile() { return !saveFileName_.isEmpty() && SaveToFile(saveFileName_); }

bool THistoryComboBox::SaveToRegistry(const QString& key) {
    QSettings settings = userSettings();
    const QString group = registryGroup(historySaveKey(key), section());
    const QStringList items = Items();
    settings.remove(group);
    settings.beginGroup(group);
    settings.setValue(historyCountKey(), static_cast<int>(items.size()));
    for (int i = 0; i < items.size(); ++i) settings.setValue(historyEntryKey(i), items[i]);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool THistoryComboBox::SaveToRegistry() { return !saveKeyName_.isEmpty() && SaveToRegistry(saveKeyName_); }

bool THistoryComboBox::LoadFromFile(const QString& name) {
    const platform::Profile profile(historyFilePath(name, platform::executableDir()));
    const QString s = section();
    const int n = profile.readInteger(s, historyCountKey(), 0);
    appendEntries(readHistoryEntries(n, [&](int i) -> std::optional<QString> {
        const QString key = historyEntryKey(i);
        if (!profile.containsKey(s, key)) return std::nullopt;
        return profile.readString(s, key, QString());
    }));
    return true;
}

bool THistoryComboBox::LoadFromFile() { return !saveFileName_.isEmpty() && LoadFromFile(saveFileName_); }

bool THistoryComboBox::LoadFromRegistry(const QString& key) {
    QSettings settings = userSettings();
    settings.beginGroup(registryGroup(key, section()));
    const int n = settings.value(historyCountKey(), 0).toInt();
    appendEntries(readHistoryEntries(n, [&](int i) -> std::optional<QString> {
        const QString entryKey = historyEntryKey(i);
        if (!settings.contains(entryKey)) return std::nullopt;
        return settings.value(entryKey).toString();
    }));
    return settings.status() == QSettings::NoError;
}

bool THistoryComboBox::LoadFromRegistry() { return !saveKeyName_.isEmpty() && LoadFromRegistry(saveKeyName_); }

void THistoryComboBox::appendEntries(const QStringList& entries) {
    const QString current = currentText();
    addItems(entries);
    if (isEditable()) setEditText(current);
}

}  // namespace widgets
