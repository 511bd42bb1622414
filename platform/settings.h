// Settings stores: a settings file of sections and values (the private-profile file) and the
// per-user store that stands in for the registry. Both live under a settings root: by default
// $XDG_CONFIG_HOME/ravelda (else ~/.config/ravelda); tests root them in a temporary folder.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class TCustomIniFile {
public:
    virtual ~TCustomIniFile();
    QString FileName() const { return fileName_; }

    virtual QString ReadString(const QString& Section, const QString& Ident,
                               const QString& Default) const = 0;
    virtual void WriteString(const QString& Section, const QString& Ident,
                             const QString& Value) = 0;
    // Section names in file order.
    virtual QStringList ReadSections() const = 0;
    // Value names of one section in order.
    virtual QStringList ReadSection(const QString& Section) const = 0;
    virtual void EraseSection(const QString& Section) = 0;
    virtual void DeleteKey(const QString& Section, const QString& Ident) = 0;
    // Writes pending changes (atomically); also done by the destructor.
    virtual void UpdateFile() = 0;

    int ReadInteger(const QString& Section, const QString& Ident, int Default) const;
    void WriteInteger(const QString& Section, const QString& Ident, int Value);
    bool ReadBool(const QString& Section, const QString& Ident, bool Default) const;
    void WriteBool(const QString& Section, const QString& Ident, bool Value);
    bool SectionExists(const QString& Section) const;
    bool ValueExists(const QString& Section, const QString& Ident) const;

protected:
    explicit TCustomIniFile(QString fileName) : fileName_(std::move(fileName)) {}

private:
    QString fileName_;
};

// A settings file. A relative name is placed in the settings root; sections and names compare
// case-insensitively. Unreadable files read as empty; a failed write raises EInOutError.
class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(const QString& FileName);
    ~TIniFile() override;

    QString ReadString(const QString& Section, const QString& Ident,
                       const QString& Default) const override;
    void WriteString(const QString& Section, const QString& Ident, const QString& Value) override;
    QStringList ReadSections() const override;
    QStringList ReadSection(const QString& Section) const override;
    void EraseSection(const QString& Section) override;
    void DeleteKey(const QString& Section, const QString& Ident) override;
    void UpdateFile() override;

private:
    struct Data;
    std::unique_ptr<Data> d_;
};

// The per-user store under a key such as "Software\\Ravelda\\Grid": kept as a settings file in
// the settings root's "registry" folder, one file per key.
class TRegistryIniFile : public TIniFile {
public:
    explicit TRegistryIniFile(const QString& Key);
    static QString FileForKey(const QString& Key);
};

// The settings root; SetSettingsRoot("") returns to the default. Returns the previous root.
QString SettingsRoot();
QString SetSettingsRoot(const QString& Folder);
