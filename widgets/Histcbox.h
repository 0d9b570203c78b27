#pragma once
// THistoryComboBox: a combo box whose items are a most-recent-first history of entered texts.
// The history can be stored in a settings file or in the user's registry (the native settings
// store) and read back, on request or automatically when the box is created and destroyed.

#include <QComboBox>
#include <QStringList>

namespace widgets {

enum class THistoryMode { hsAuto, hsManual, hsAutoSave, hsAutoLoad };

class THistoryComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit THistoryComboBox(QWidget* parent = nullptr);
    ~THistoryComboBox() override;

    THistoryMode SaveMode() const { return saveMode_; }
    void SetSaveMode(THistoryMode m) { saveMode_ = m; }
    // Registry key; when set it takes precedence over the file.
    QString SaveKeyName() const { return saveKeyName_; }
    void SetSaveKeyName(const QString& k) { saveKeyName_ = k; }
    QString SaveFileName() const { return saveFileName_; }
    void SetSaveFileName(const QString& f) { saveFileName_ = f; }
    // Section of the stored history; empty means the box's object name.
    QString SaveSectionName() const { return saveSectionName_; }
    void SetSaveSectionName(const QString& s) { saveSectionName_ = s; }

    QStringList Items() const;

    // Adds a text at the top (see addHistoryText); 1 when it was new, else 0.
    int AddText(const QString& text);
    // Adds the box's current text.
    int AddText();

    bool SaveToFile(const QString& name);
    bool SaveToFile();
    bool SaveToRegistry(const QString& key);
    bool SaveToRegistry();
    // Loading appends the stored entries after the present items.
    bool LoadFromFile(const QString& name);
    bool LoadFromFile();
    bool LoadFromRegistry(const QString& key);
    bool LoadFromRegistry();

    // Runs once the creating code has set the properties (queued from the constructor; may be
    // called earlier by that code): loads the history when SaveMode allows it.
    void Loaded();

private:
    QString section() const;
    void appendEntries(const QStringList& entries);

    THistoryMode saveMode_ = THistoryMode::hsAuto;
    QString saveKeyName_;
    QString saveFileName_;
    QString saveSectionName_;
    bool loaded_ = false;
};

}  // namespace widgets
