#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A scratch folder for one test, removed afterwards.
class TempFolder {
public:
    TempFolder() { dir_.setAutoRemove(true); }
    QString Path() const { return dir_.path() + QLatin1Char('/'); }
    QString File(const QString& name) const { return Path() + name; }

    void Write(const QString& name, const QByteArray& bytes) const {
        QFile file(File(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QByteArray Read(const QString& name) const {
        QFile file(File(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};
