#include "desktoprecorder.h"
#include "core/machinesettings.h"
#include "tempprogramfolder.h"

#include <QDir>
#include <QTest>

class TestMachineSettings : public QObject {
    Q_OBJECT
private slots:
    void emptinessErrors_data();
    void emptinessErrors();
    void readsDefaultsAndRoundTrips();
    void valuesLiveUnderCompanyAndApplication();
    void retryRepeatsTheWrite();
    void ignoreSilencesLaterFailures();
    void abortAsksAgainNextTime();
    void realStoreFailureIsNoticed();
    void iniStoreRecoversAfterFailure();
};

namespace {
// A machine store whose next `failures` writes are refused.
class FlakyStore : public SettingsStore {
public:
    explicit FlakyStore(SettingsStore &inner)
        : m_inner(inner) {}
    int failures = 0;
    int attempts = 0;
    QString read(const QString &app, const QString &section, const QString &key,
                 const QString &defaultValue) const override {
        return m_inner.read(app, section, key, defaultValue);
    }
    bool write(const QString &app, const QString &section, const QString &key,
               const QString &value) override {
        ++attempts;
        if (failures > 0) {
            --failures;
            return false;
        }
        return m_inner.write(app, section, key, value);
    }

private:
    SettingsStore &m_inner;
};

const QString kPermissionText =
    "Kestrin requires read/write access to the system registry and hard drive in order to run "
    "properly.  This user account does not have the proper permissions set.  As a result some "
    "or all of your settings may not be properly saved.  Please contact your system "
    "administrator or change the permission settings for this account.\r\n\r\nIf you would "
    "like to prevent this error message from being displayed again, please press 'Ignore'.";
} // namespace

void TestMachineSettings::emptinessErrors_data() {
    QTest::addColumn<QString>("app");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<quint32>("number");
    QTest::addColumn<QString>("description");
    QTest::newRow("app empty") << ""
                               << "Settings"
                               << "k" << 0x800403E8u << "AppName may not be empty";
    QTest::newRow("app spaces") << "   "
                                << "Settings"
                                << "k" << 0x800403E8u << "AppName may not be empty";
    QTest::newRow("section spaces") << "Kestrin"
                                    << " "
                                    << "k" << 0x800403E9u << "Section may not be empty";
    QTest::newRow("key empty") << "Kestrin"
                               << "Settings"
                               << "" << 0x800403EAu << "Key may not be empty";
    QTest::newRow("all empty: app first") << ""
                                          << ""
                                          << "" << 0x800403E8u << "AppName may not be empty";
    QTest::newRow("section before key") << "Kestrin"
                                        << ""
                                        << " " << 0x800403E9u << "Section may not be empty";
}

void TestMachineSettings::emptinessErrors() {
    QFETCH(QString, app);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(quint32, number);
    QFETCH(QString, description);
    TempProgramFolder temp;
    DesktopRecorder desktop;
    MachineSettings settings(temp.machineStore(), temp.userStore(), desktop, "Co", "Kestrin");
    try {
        settings.getMachineSetting(app, section, key, "d");
        QFAIL("no error raised");
    } catch (const MachineSettingError &e) {
        QCOMPARE(e.number, number);
        QCOMPARE(e.description, description);
    }
}

void TestMachineSettings::readsDefaultsAndRoundTrips() {
    TempProgramFolder temp;
    DesktopRecorder desktop;
    MachineSettings settings(temp.machineStore(), temp.userStore(), desktop, "Kestrin Software",
                             "Kestrin");
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "txtCustom", ".co.uk"),
             QString(".co.uk"));
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "chkExt3", "1"), QString("1"));

    settings.saveMachineSetting("Kestrin", "Settings", "txtMake", "hello world");
    settings.saveMachineSetting("Kestrin", "Settings", "txtCustom", "");
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "txtMake", ""),
             QString("hello world"));
    QCOMPARE(settings.getMachineSetting(" Kestrin ", " Settings ", "txtMake", ""),
             QString("hello world"));
    // A stored empty text is a value, not a missing one.
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "txtCustom", ".co.uk"), QString());
    QVERIFY(desktop.messages.isEmpty());

    // The value survives a new store on the same file.
    IniSettingsStore reopened(temp.machineStore().filePath());
    MachineSettings again(reopened, temp.userStore(), desktop, "Kestrin Software", "Kestrin");
    QCOMPARE(again.getMachineSetting("Kestrin", "Settings", "txtMake", ""), QString("hello world"));
}

void TestMachineSettings::valuesLiveUnderCompanyAndApplication() {
    TempProgramFolder temp;
    DesktopRecorder desktop;
    MachineSettings settings(temp.machineStore(), temp.userStore(), desktop, "Kestrin Software",
                             "Kestrin");
    settings.saveMachineSetting("Kestrin", "Settings", "chkProxy", "1");
    QCOMPARE(temp.machineStore().read("Kestrin Software/Kestrin", "Settings", "chkProxy", "0"),
             QString("1"));
    // Neither another company nor the per-user store sees it.
    MachineSettings other(temp.machineStore(), temp.userStore(), desktop, "Other", "Kestrin");
    QCOMPARE(other.getMachineSetting("Kestrin", "Settings", "chkProxy", "0"), QString("0"));
    QCOMPARE(temp.userStore().read("Kestrin", "Settings", "chkProxy", "0"), QString("0"));
}

void TestMachineSettings::retryRepeatsTheWrite() {
    TempProgramFolder temp;
    DesktopRecorder desktop;
    FlakyStore store(temp.machineStore());
    store.failures = 2;
    desktop.answers = {Desktop::Answer::Retry, Desktop::Answer::Retry};
    MachineSettings settings(store, temp.userStore(), desktop, "Co", "Kestrin");
    settings.saveMachineSetting("Kestrin", "Settings", "txtMake", "word");

    QCOMPARE(store.attempts, 3);
    QCOMPARE(desktop.messages.size(), 2);
    QCOMPARE(desktop.messages.at(0).title, QString("Permission Denied"));
    QCOMPARE(desktop.messages.at(0).text, kPermissionText);
    QCOMPARE(desktop.messages.at(0).buttons, Desktop::Buttons::AbortRetryIgnore);
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "txtMake", ""), QString("word"));
    QCOMPARE(temp.userStore().read("Kestrin", "Settings", "IgnorePermissionDeniedError", "0"),
             QString("0"));
}

void TestMachineSettings::ignoreSilencesLaterFailures() {
    TempProgramFolder temp;
    DesktopRecorder desktop;
    FlakyStore store(temp.machineStore());
    store.failures = 1;
    desktop.answers = {Desktop::Answer::Ignore};
    MachineSettings settings(store, temp.userStore(), desktop, "Co", "Kestrin");
    settings.saveMachineSetting("Kestrin", "Settings", "txtMake", "word");
    QCOMPARE(store.attempts, 1);
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(temp.userStore().read("Kestrin", "Settings", "IgnorePermissionDeniedError", "0"),
             QString("1"));

    store.failures = 5;
    settings.saveMachineSetting("Kestrin", "Settings", "txtMake", "other");
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(store.attempts, 2);
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "txtMake", "none"), QString("none"));
}

void TestMachineSettings::abortAsksAgainNextTime() {
    TempProgramFolder temp;
    DesktopRecorder desktop;
    FlakyStore store(temp.machineStore());
    store.failures = 2;
    desktop.answers = {Desktop::Answer::Abort, Desktop::Answer::Abort};
    MachineSettings settings(store, temp.userStore(), desktop, "Co", "Kestrin");
    settings.saveMachineSetting("Kestrin", "Settings", "a", "1");
    settings.saveMachineSetting("Kestrin", "Settings", "b", "1");
    QCOMPARE(store.attempts, 2);
    QCOMPARE(desktop.messages.size(), 2);
    QCOMPARE(temp.userStore().read("Kestrin", "Settings", "IgnorePermissionDeniedError", "0"),
             QString("0"));
}

void TestMachineSettings::realStoreFailureIsNoticed() {
    // A file where the store's folder should be: the INI file cannot be written (even as root).
    TempProgramFolder temp;
    temp.writeFile("/blocked", "not a folder");
    IniSettingsStore machine(temp.root() + "/blocked/machine.ini");
    DesktopRecorder desktop;
    desktop.answers = {Desktop::Answer::Abort};
    MachineSettings settings(machine, temp.userStore(), desktop, "Co", "Kestrin");
    settings.saveMachineSetting("Kestrin", "Settings", "txtMake", "x");
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(desktop.messages.at(0).title, QString("Permission Denied"));
}

void TestMachineSettings::iniStoreRecoversAfterFailure() {
    TempProgramFolder temp;
    temp.writeFile("/blocked", "not a folder");
    IniSettingsStore store(temp.root() + "/blocked/user.ini");
    QCOMPARE(store.read("Orvane", "Settings", "FullWordNum", "1"), QString("1"));
    QVERIFY(!store.write("Orvane", "Settings", "FullWordNum", "7"));
    QCOMPARE(store.read("Orvane", "Settings", "FullWordNum", "1"), QString("1"));

    QVERIFY(QFile::remove(temp.root() + "/blocked"));
    QVERIFY(store.write("Orvane", "Settings", "FullWordNum", "8"));
    IniSettingsStore reopened(temp.root() + "/blocked/user.ini");
    QCOMPARE(reopened.read("Orvane", "Settings", "FullWordNum", "1"), QString("8"));
    QCOMPARE(reopened.read("Kestrin", "Settings", "FullWordNum", "1"), QString("1"));
}

QTEST_APPLESS_MAIN(TestMachineSettings)
#include "tst_machinesettings.moc"
