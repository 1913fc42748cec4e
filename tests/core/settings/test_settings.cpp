#include "db/connection_string.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <sys/stat.h>

// The settings store: every key in its place with its default, the policy read and written
// through it, and a write that does not reach the file told as such.
class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // The keys are where other programs and the user's own file have them, each once; the
    // twenty keys of the policy in their order.
    void keysInTheirPlaces()
    {
        QSet<QString> seen;
        QStringList policy;
        for (int k = 0; k <= Settings::kLastPolicyKey; ++k) {
            const auto key = static_cast<Settings::Key>(k);
            const QString place = Settings::section(key) + u'/' + Settings::name(key);
            QVERIFY2(!seen.contains(place), qPrintable(place));
            seen.insert(place);
            if (Settings::section(key) == u"Policy"_s) {
                policy << Settings::name(key);
            }
        }
        QCOMPARE(policy, (QStringList{"Work",   "Indirect", "Base",      "Opt",   "Deliv", "Expe0",  "Expe1",
                                      "Rate",   "WorkR",    "IndirectR", "BaseR", "OptR",  "DelivR", "Expe0R",
                                      "Expe1R", "Hour",     "Charge",    "MtoH",  "Place", "Cancel"}));
        for (const char* place :
             {"DB/ConnStr_Base", "DB/DBName", "DB/UserID", "DB/Passwd", "Settings/MainLeft",
              "Settings/MainTop", "Settings/MainWidth", "Settings/MainHeight", "Settings/MainSplitter",
              "Settings/SubLeft", "Settings/SubTop"}) {
            QVERIFY2(seen.contains(QLatin1String(place)), place);
        }
        QCOMPARE(seen.size(), 31);
        QCOMPARE(QFileInfo(Settings::filePath()).fileName(), u"vorna.ini"_s);
    }

    // A user who never saved anything gets the defaults, and nothing is written for it.
    void defaultsOfANewUser()
    {
        const ConnSettings connection = ConnSettings::fromStore();
        QCOMPARE(
            (QStringList{connection.base, connection.dbName, connection.userID, connection.passwd}),
            (QStringList{u"Provider=SQLite;Data Source=$DBName$.sqlite"_s, u"kaldb"_s, u"kal"_s, u"kal"_s}));
        for (const Policy& p : {Policy(), LoadPolicy()}) {
            QVERIFY(p.Work && p.Indirect && p.Base && p.Opt && p.Deliv && p.Expe0 && p.Expe1);
            QVERIFY(p.WorkR && p.IndirectR && p.BaseR && p.OptR && p.DelivR && p.Expe0R && p.Expe1R);
            QVERIFY(!p.Hour && p.Charge && p.Cancel);
            QCOMPARE((QList<int>{p.Rate, p.MtoH, p.Place}), (QList<int>{0, 160, 3}));
        }
        QCOMPARE(Settings::text(Settings::MainWidth), u"6500"_s);
        QVERIFY(!Settings::has(Settings::MainWidth));
        QVERIFY(!QFile::exists(Settings::filePath()));
    }

    // Every value of the policy is written as its text and read back as it was.
    void policyRoundTrip()
    {
        Policy p;
        p.Work = false;
        p.Expe1R = false;
        p.Hour = true;
        p.Charge = false;
        p.Rate = 2;
        p.MtoH = 150;
        p.Place = 1;
        p.Cancel = false;
        QVERIFY(SavePolicy(p));
        QStringList stored;
        for (const char* key :
             {"Work", "Expe1R", "Hour", "Charge", "Rate", "MtoH", "Place", "Cancel", "Base"}) {
            stored << StoredSetting(u"Policy"_s, QString::fromLatin1(key));
        }
        QCOMPARE(stored, (QStringList{"False", "False", "True", "False", "2", "150", "1", "False", "True"}));
        const Policy loaded = LoadPolicy();
        QVERIFY(!loaded.Work && !loaded.Expe1R && loaded.Hour && !loaded.Charge && !loaded.Cancel &&
                loaded.Base);
        QCOMPARE((QList<int>{loaded.Rate, loaded.MtoH, loaded.Place}), (QList<int>{2, 150, 1}));
    }

    // A write that does not reach the file is told; one that does leaves the file to its owner.
    void writesAreChecked()
    {
        QVERIFY(Settings::write({{Settings::DBName, u"db"_s}, {Settings::SubLeft, u"600"_s}}));
        QCOMPARE(StoredSetting(u"DB"_s, u"DBName"_s), u"db"_s);
        QCOMPARE(StoredSetting(u"Settings"_s, u"SubLeft"_s), u"600"_s);
        QCOMPARE(QFileInfo(Settings::filePath()).permissions() &
                     (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFileDevice::Permissions());

        // Values the file holds already are not written again (a dialog closed where it stood
        // would otherwise rewrite and flush the file each time); a changed one is.
        const auto fileId = [] {
            struct stat st {};
            return ::stat(QFile::encodeName(Settings::filePath()).constData(), &st) == 0 ? st.st_ino : 0;
        };
        const auto before = fileId();
        QVERIFY(before != 0);
        QVERIFY(Settings::write({{Settings::SubLeft, u"600"_s}, {Settings::DBName, u"db"_s}}));
        QCOMPARE(fileId(), before);
        QVERIFY(Settings::write({{Settings::SubLeft, u"600"_s}, {Settings::SubTop, u"1320"_s}}));
        QVERIFY(fileId() != before);
        QCOMPARE(StoredSetting(u"Settings"_s, u"SubTop"_s), u"1320"_s);

        // A folder where the file should be.
        Settings::setFilePath(m_env->path(u"taken/vorna.ini"_s));
        QVERIFY(QDir().mkpath(Settings::filePath()));
        QVERIFY(!Settings::write({{Settings::DBName, u"other"_s}}));
        QVERIFY(!SavePolicy(Policy()));
    }

    void unreadableValueNamesItsKey_data()
    {
        addColumns<QString, QString>({"key", "value"});
        QTest::newRow("boolean") << u"Deliv"_s << u"perhaps"_s;
        QTest::newRow("integer") << u"Place"_s << u"three"_s;
        QTest::newRow("out of range") << u"MtoH"_s << u"40000"_s;
        QTest::newRow("out of range once rounded") << u"MtoH"_s << u"32767.5"_s;
    }
    void unreadableValueNamesItsKey()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        StoreSetting(u"Policy"_s, key, value);
        try {
            LoadPolicy();
            QFAIL("an unreadable value was accepted");
        } catch (const PolicyError& e) {
            QVERIFY2(e.message().contains(key) && e.message().contains(value), qPrintable(e.message()));
        }
    }

    // A Boolean is read from its text or from a number, as other programs may have written it:
    // any number but 0 is true, -1 (the usual true of such programs) included.
    void booleanTexts_data()
    {
        addColumns<QString, bool>({"text", "value"});
        QTest::newRow("True") << u"True"_s << true;
        QTest::newRow("False") << u"False"_s << false;
        QTest::newRow("lower case") << u"true"_s << true;
        QTest::newRow("-1") << u"-1"_s << true;
        QTest::newRow("1") << u"1"_s << true;
        QTest::newRow("0") << u"0"_s << false;
    }
    void booleanTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, value);
        // Each key with the default the text is not, so that a lost key shows.
        for (const char* key : {"Work", "Hour"}) {
            StoreSetting(u"Policy"_s, QString::fromLatin1(key), text);
        }
        const Policy policy = LoadPolicy();
        QCOMPARE(policy.Work, value);
        QCOMPARE(policy.Hour, value);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
