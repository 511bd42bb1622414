#include "platform/resources.h"

#include "platform/bitmap.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <map>
#include <mutex>

namespace {

struct ResourceTable {
    std::mutex lock;
    bool scanned = false;
    std::map<QString, QString> files;     // upper-case name -> Qt resource path
    std::map<QString, QByteArray> memory; // upper-case name -> data
};

ResourceTable& Table() {
    static ResourceTable table;
    return table;
}

void Scan(ResourceTable& t) {
    if (t.scanned) return;
    t.scanned = true;
    QDirIterator it(QStringLiteral(":/ravelda"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        t.files.emplace(QFileInfo(path).completeBaseName().toUpper(), path);
    }
}

QString Key(const QString& name) {
    QString key = name.trimmed().toUpper();
    // A name given with its extension finds the same resource.
    const qsizetype dot = key.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) key.truncate(dot);
    return key;
}

} // namespace

void RegisterResource(const QString& Name, const QByteArray& Data) {
    ResourceTable& t = Table();
    std::lock_guard guard(t.lock);
    t.memory[Key(Name)] = Data;
}

bool ResourceExists(const QString& Name) {
    ResourceTable& t = Table();
    std::lock_guard guard(t.lock);
    Scan(t);
    const QString key = Key(Name);
    return t.memory.count(key) || t.files.count(key);
}

QByteArray FindResourceData(const QString& Name) {
    ResourceTable& t = Table();
    std::lock_guard guard(t.lock);
    Scan(t);
    const QString key = Key(Name);
    if (auto m = t.memory.find(key); m != t.memory.end()) return m->second;
    if (auto f = t.files.find(key); f != t.files.end()) {
        QFile file(f->second);
        if (file.open(QIODevice::ReadOnly)) return file.readAll();
    }
    throw EResNotFound(QStringLiteral("Resource %1 not found").arg(Name));
}

QStringList ResourceNames() {
    ResourceTable& t = Table();
    std::lock_guard guard(t.lock);
    Scan(t);
    QStringList names;
    for (const auto& [name, data] : t.memory)
        names << name;
    for (const auto& [name, path] : t.files)
        if (!t.memory.count(name)) names << name;
    names.sort();
    return names;
}

QByteArray FindBitmapResource(const QString& Name) {
    return FindResourceData(Name);
}

std::unique_ptr<TBitmap> LoadBitmapResource(const QString& Name) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromData(FindBitmapResource(Name));
    return bitmap;
}
