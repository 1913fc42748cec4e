#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

// "Ver.0.9.0": the program's version as set in the build.
QString VersionText();

// The system information tools looked for on the PATH, in order of preference.
QStringList SystemInfoTools();

// Starts the first system information tool found on the PATH, without waiting for it. false
// when none is installed or it would not start.
bool StartSysInfo();

// frmAbout: the program's name, version and purpose.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    void showSystemInfo(); // ｼｽﾃﾑ情報(&S)...
};
