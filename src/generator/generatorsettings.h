#pragma once

#include "core/result.h"

#include <QString>

class MachineSettings;

// The generator window's options in the machine store: chkExt0..8, chkAdd0..2 ("1" or "0"),
// txtMake (base word) and txtCustom (custom extension).
class GeneratorSettings {
public:
    explicit GeneratorSettings(MachineSettings &settings);

    // A stored check-box value: "0" is clear, "1" is ticked, anything else reads as ticked,
    // the default.
    static bool checkValue(const QString &stored);

    // Setters report a refused write; the window decides whether to ask and retry.
    bool extension(int index) const { return checkBox(QStringLiteral("chkExt"), index); }
    Result<> setExtension(int index, bool on) {
        return setCheckBox(QStringLiteral("chkExt"), index, on);
    }
    bool joining(int index) const { return checkBox(QStringLiteral("chkAdd"), index); }
    Result<> setJoining(int index, bool on) {
        return setCheckBox(QStringLiteral("chkAdd"), index, on);
    }
    QString baseWord() const;
    Result<> setBaseWord(const QString &word);
    QString customExtension() const;
    Result<> setCustomExtension(const QString &text);

private:
    bool checkBox(const QString &array, int index) const;
    Result<> setCheckBox(const QString &array, int index, bool on);
    QString read(const QString &key, const QString &defaultValue) const;
    Result<> write(const QString &key, const QString &value);

    MachineSettings &m_settings;
};
