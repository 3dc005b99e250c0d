#pragma once

#include <QString>
#include <QStringList>

// One invocation of glimractl: the command, its argument and the options given.
struct CliRequest {
    enum class Command {
        None,
        List,
        Status,
        Color,
        Up,
        Down,
        Brightness,
        Mode,
        On,
        Off,
        Default,
        Recover,
        Firmware,
        Serve,
    };
    enum class Parse { Run, Help, Version, Error };

    Command command = Command::None;
    int swatch = 0;     // Color: 1-8
    unsigned level = 0; // Brightness: 1-8
    int modeIndex = 0;  // Mode: 0-5
    QString file;       // Firmware
    bool json = false;
    bool dump = false;
    bool yes = false;
    // Serve: the OpenRGB SDK server, off unless asked for, on loopback unless told otherwise.
    bool openRgb = false;
    QString openRgbAddress = QStringLiteral("127.0.0.1");
    quint16 openRgbPort = 6742;

    // The arguments after the program name; message says what is wrong on Error.
    static Parse FromArguments(const QStringList& arguments, CliRequest& request, QString& message);
    static QString Usage();
    // "ADDRESS:PORT" (an IPv6 address in brackets) into its parts; false when it is not one.
    static bool ParseEndpoint(const QString& text, QString& address, quint16& port);
};
