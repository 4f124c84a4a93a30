#include "core/machinesettings.h"
#include "core/settingsstore.h"
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
    void realStoreFailureIsReported();
    void iniStoreRecoversAfterFailure();
};

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
    MachineSettings settings(temp.machineStore(), temp.userStore(), "Co", "Kestrin");
    const Result<QString> read = settings.getMachineSetting(app, section, key, "d");
    QVERIFY(read.failed());
    QCOMPARE(read.error().code, number);
    QCOMPARE(read.error().message, description);
    QVERIFY(read.error().text().startsWith("Could not read the machine setting"));
}

void TestMachineSettings::readsDefaultsAndRoundTrips() {
    TempProgramFolder temp;
    MachineSettings settings(temp.machineStore(), temp.userStore(), "Kestrin Software", "Kestrin");
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "txtCustom", ".co.uk").value(),
             QString(".co.uk"));
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "chkExt3", "1").value(),
             QString("1"));

    QVERIFY(settings.saveMachineSetting("Kestrin", "Settings", "txtMake", "hello world").ok());
    QVERIFY(settings.saveMachineSetting("Kestrin", "Settings", "txtCustom", "").ok());
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "txtMake", "").value(),
             QString("hello world"));
    QCOMPARE(settings.getMachineSetting(" Kestrin ", " Settings ", "txtMake", "").value(),
             QString("hello world"));
    // A stored empty text is a value, not a missing one.
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "txtCustom", ".co.uk").value(),
             QString());

    // The value survives a new store on the same file.
    IniSettingsStore reopened(temp.machineStore().filePath());
    MachineSettings again(reopened, temp.userStore(), "Kestrin Software", "Kestrin");
    QCOMPARE(again.getMachineSetting("Kestrin", "Settings", "txtMake", "").value(),
             QString("hello world"));
}

void TestMachineSettings::valuesLiveUnderCompanyAndApplication() {
    TempProgramFolder temp;
    MachineSettings settings(temp.machineStore(), temp.userStore(), "Kestrin Software", "Kestrin");
    QVERIFY(settings.saveMachineSetting("Kestrin", "Settings", "chkProxy", "1").ok());
    QCOMPARE(temp.machineStore().read("Kestrin Software/Kestrin", "Settings", "chkProxy", "0"),
             QString("1"));
    // Neither another company nor the per-user store sees it.
    MachineSettings other(temp.machineStore(), temp.userStore(), "Other", "Kestrin");
    QCOMPARE(other.getMachineSetting("Kestrin", "Settings", "chkProxy", "0").value(), QString("0"));
    QCOMPARE(temp.userStore().read("Kestrin", "Settings", "chkProxy", "0"), QString("0"));
}

void TestMachineSettings::realStoreFailureIsReported() {
    // A file where the store's folder should be: the INI file cannot be written (even as root).
    TempProgramFolder temp;
    temp.writeFile("/blocked", "not a folder");
    IniSettingsStore machine(temp.root() + "/blocked/machine.ini");
    MachineSettings settings(machine, temp.userStore(), "Co", "Kestrin");
    // One attempt, reported to the caller; the store never asks the user itself.
    const Result<> saved = settings.saveMachineSetting("Kestrin", "Settings", "txtMake", "x");
    QVERIFY(saved.failed());
    QCOMPARE(saved.error().target, QString("Co/Kestrin/Settings/txtMake"));
    QVERIFY(saved.error().text().startsWith("Could not save the machine setting"));
    QVERIFY(!settings.permissionErrorsIgnored());
    settings.ignorePermissionErrors();
    QVERIFY(settings.permissionErrorsIgnored());
    QCOMPARE(temp.userStore().read("Kestrin", "Settings", "IgnorePermissionDeniedError", "0"),
             QString("1"));
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
