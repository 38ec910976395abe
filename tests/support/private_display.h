#pragma once

// A private X server for tests that start the real program as the desktop
// does, and drive it with xdotool.

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

struct PrivateDisplay
{
    QProcess server;
    QString display;

    // The server picks a free display itself and names it on stdout, so two
    // tests starting at once never share one. It must not reset when a killed
    // program was its last client: a start during the reset cannot connect.
    bool start()
    {
        server.setStandardErrorFile(QProcess::nullDevice());
        server.start(
            "Xvfb",
            { "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "1280x1024x24" });
        if (!server.waitForStarted())
            return false;
        QElapsedTimer timer;
        timer.start();
        while (!server.canReadLine() && timer.elapsed() < 15000)
            QTest::qWait(50);
        if (!server.canReadLine())
            return false;
        display = ":" + QString::fromLatin1(server.readLine()).trimmed();
        return display.size() > 1;
    }
    void stop()
    {
        if (server.state() == QProcess::NotRunning)
            return;
        server.terminate();
        server.waitForFinished(5000);
    }

    // Runs xdotool on this display; its output, trimmed.
    QString xdo(const QStringList &args) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        p.setProcessEnvironment(env);
        p.start("xdotool", args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    // For a program shown here, with a home and data folders of its own.
    QProcessEnvironment environment(const QTemporaryDir &home) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("HOME", home.path());
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        return env;
    }
};
