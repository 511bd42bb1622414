#include "platform/settings.h"

#include "platform/exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <vector>

namespace {
QString& RootOverride() {
    static QString root;
    return root;
}
bool Same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

QString SettingsRoot() {
    if (!RootOverride().isEmpty()) return RootOverride();
    QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    QString base =
        xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : QString::fromLocal8Bit(xdg);
    return base + QStringLiteral("/ravelda");
}

QString SetSettingsRoot(const QString& Folder) {
    QString previous = RootOverride();
    RootOverride() = Folder;
    return previous;
}

TCustomIniFile::~TCustomIniFile() = default;

int TCustomIniFile::ReadInteger(const QString& Section, const QString& Ident, int Default) const {
    QString s = ReadString(Section, Ident, QString()).trimmed();
    bool ok = false;
    int v = s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? s.mid(2).toInt(&ok, 16)
                                                                   : s.toInt(&ok);
    return ok ? v : Default;
}

void TCustomIniFile::WriteInteger(const QString& Section, const QString& Ident, int Value) {
    WriteString(Section, Ident, QString::number(Value));
}

bool TCustomIniFile::ReadBool(const QString& Section, const QString& Ident, bool Default) const {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const QString& Section, const QString& Ident, bool Value) {
    WriteString(Section, Ident, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TCustomIniFile::SectionExists(const QString& Section) const {
    for (const QString& s : ReadSections())
        if (Same(s, Section)) return true;
    return false;
}

bool TCustomIniFile::ValueExists(const QString& Section, const QString& Ident) const {
    for (const QString& s : ReadSection(Section))
        if (Same(s, Ident)) return true;
    return false;
}

struct TIniFile::Data {
    struct Section {
        QString name;
        std::vector<std::pair<QString, QString>> values;
    };
    std::vector<Section> sections;
    bool dirty = false;

    Section* Find(const QString& name) {
        for (auto& s : sections)
            if (Same(s.name, name)) return &s;
        return nullptr;
    }
};

namespace {
QString Resolve(const QString& name) {
    if (QFileInfo(name).isAbsolute()) return name;
    return SettingsRoot() + QLatin1Char('/') + name;
}
} // namespace

TIniFile::TIniFile(const QString& FileName)
    : TCustomIniFile(Resolve(FileName)), d_(std::make_unique<Data>()) {
    QFile f(this->FileName());
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    QTextStream in(&f);
    Data::Section* cur = nullptr;
    while (!in.atEnd()) {
        QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            QString name = line.mid(1, line.size() - 2).trimmed();
            cur = d_->Find(name);
            if (!cur) {
                d_->sections.push_back({name, {}});
                cur = &d_->sections.back();
            }
            continue;
        }
        int eq = line.indexOf(QLatin1Char('='));
        if (!cur || eq <= 0) continue;
        QString key = line.left(eq).trimmed();
        QString value = line.mid(eq + 1).trimmed();
        bool found = false;
        for (auto& kv : cur->values)
            if (Same(kv.first, key)) {
                found = true;
                break;
            }
        if (!found) cur->values.emplace_back(key, value);
    }
}

TIniFile::~TIniFile() {
    try {
        UpdateFile();
    } catch (...) {
        // A destructor cannot report it; UpdateFile raises for callers that ask.
    }
}

QString TIniFile::ReadString(const QString& Section, const QString& Ident,
                             const QString& Default) const {
    if (auto* s = d_->Find(Section))
        for (const auto& kv : s->values)
            if (Same(kv.first, Ident)) return kv.second;
    return Default;
}

void TIniFile::WriteString(const QString& Section, const QString& Ident, const QString& Value) {
    if (Section.contains(QLatin1Char(']')) || Section.contains(QLatin1Char('\n')) ||
        Ident.contains(QLatin1Char('=')) || Ident.contains(QLatin1Char('\n')) ||
        Ident.trimmed().isEmpty() || Value.contains(QLatin1Char('\n')))
        throw EInOutError(QStringLiteral("Invalid settings entry [%1] %2").arg(Section, Ident));
    auto* s = d_->Find(Section);
    if (!s) {
        d_->sections.push_back({Section, {}});
        s = &d_->sections.back();
    }
    d_->dirty = true;
    for (auto& kv : s->values)
        if (Same(kv.first, Ident)) {
            kv.second = Value;
            return;
        }
    s->values.emplace_back(Ident, Value);
}

QStringList TIniFile::ReadSections() const {
    QStringList out;
    for (const auto& s : d_->sections)
        out << s.name;
    return out;
}

QStringList TIniFile::ReadSection(const QString& Section) const {
    QStringList out;
    if (auto* s = d_->Find(Section))
        for (const auto& kv : s->values)
            out << kv.first;
    return out;
}

void TIniFile::EraseSection(const QString& Section) {
    for (auto it = d_->sections.begin(); it != d_->sections.end(); ++it)
        if (Same(it->name, Section)) {
            d_->sections.erase(it);
            d_->dirty = true;
            return;
        }
}

void TIniFile::DeleteKey(const QString& Section, const QString& Ident) {
    if (auto* s = d_->Find(Section))
        for (auto it = s->values.begin(); it != s->values.end(); ++it)
            if (Same(it->first, Ident)) {
                s->values.erase(it);
                d_->dirty = true;
                return;
            }
}

void TIniFile::UpdateFile() {
    if (!d_->dirty) return;
    QFileInfo info(FileName());
    QDir().mkpath(info.absolutePath());
    QSaveFile f(FileName());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        throw EInOutError(QStringLiteral("Cannot write %1: %2").arg(FileName(), f.errorString()));
    QTextStream out(&f);
    bool first = true;
    for (const auto& s : d_->sections) {
        if (!first) out << '\n';
        first = false;
        out << '[' << s.name << "]\n";
        for (const auto& kv : s.values)
            out << kv.first << '=' << kv.second << '\n';
    }
    out.flush();
    if (!f.commit())
        throw EInOutError(QStringLiteral("Cannot write %1: %2").arg(FileName(), f.errorString()));
    d_->dirty = false;
}

QString TRegistryIniFile::FileForKey(const QString& Key) {
    QString k = Key;
    k.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList parts;
    for (const QString& p : k.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (p == QLatin1String(".") || p == QLatin1String(".."))
            throw EInOutError(QStringLiteral("Invalid registry key %1").arg(Key));
        parts << p;
    }
    if (parts.isEmpty()) throw EInOutError(QStringLiteral("Invalid registry key %1").arg(Key));
    return SettingsRoot() + QStringLiteral("/registry/") + parts.join(QLatin1Char('/')) +
           QStringLiteral(".ini");
}

TRegistryIniFile::TRegistryIniFile(const QString& Key) : TIniFile(FileForKey(Key)) {}
