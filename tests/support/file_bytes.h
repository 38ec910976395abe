#pragma once

// Whole-file reads and writes for tests that check what reached the disk.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
