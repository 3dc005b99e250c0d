#include "Framework/Resources.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>

namespace fw {

namespace {

struct SourceState {
    QMutex mutex;
    QString root;
    // String tables are parsed once per source; a switch drops the cache.
    bool stringsLoaded = false;
    QHash<unsigned, QString> strings;
};

SourceState& State() {
    static SourceState state;
    return state;
}

QString CurrentRoot() {
    SourceState& s = State();
    QMutexLocker lock(&s.mutex);
    return s.root.isEmpty() ? Resources::ProgramRoot() : s.root;
}

QByteArray ReadResource(const QString& relative) {
    QFile file(CurrentRoot() + QLatin1Char('/') + relative);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

QString Resources::ProgramRoot() {
    return QStringLiteral(":/glimra");
}

void Resources::SetSource(const QString& root) {
    SourceState& s = State();
    QMutexLocker lock(&s.mutex);
    s.root = root;
    s.stringsLoaded = false;
    s.strings.clear();
}

QString Resources::Source() {
    return CurrentRoot();
}

QString Resources::LoadString(unsigned id) {
    SourceState& s = State();
    QMutexLocker lock(&s.mutex);
    if (!s.stringsLoaded) {
        const QString root = s.root.isEmpty() ? ProgramRoot() : s.root;
        QFile file(root + QStringLiteral("/strings.json"));
        if (file.open(QIODevice::ReadOnly)) {
            const QJsonObject table = QJsonDocument::fromJson(file.readAll()).object();
            for (auto it = table.begin(); it != table.end(); ++it) {
                bool ok = false;
                const unsigned key = it.key().toUInt(&ok);
                if (ok)
                    s.strings.insert(key, it.value().toString());
            }
        }
        s.stringsLoaded = true;
    }
    return s.strings.value(id);
}

std::optional<DialogTemplate> Resources::LoadDialog(unsigned id) {
    const QByteArray json = ReadResource(QStringLiteral("dialog/%1.json").arg(id));
    if (json.isEmpty())
        return std::nullopt;
    return DialogTemplate::Parse(json);
}

QByteArray Resources::LoadFile(const QString& relative) {
    return ReadResource(relative);
}

QByteArray Resources::LoadRaw(const QString& type, unsigned id) {
    return ReadResource(QStringLiteral("%1/%2").arg(type).arg(id));
}

} // namespace fw
