// The settings file: defaults, corrections, what is written and what never
// is, panel placements, the recent files, and the start-up folders and log.
#include <QSettings>
#include <QStandardPaths>

#include "app/AppStartup.h"
#include "app/AppTestSupport.h"
#include "effect/EffectPaths.h"
#include "logger/Logger.h"

using namespace brisol;

namespace {

QString Ini() { return test::SettingsFile(); }

CAppSettings ReadFrom(const QString& text) {
  test::WriteSettings(text);
  CAppSettings settings(Ini(), "/start");
  settings.Read();
  return settings;
}

QStringList Keys() { return QSettings(Ini(), QSettings::IniFormat).allKeys(); }

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }
  void cleanup() {
    QFile::remove(Ini());
    test::TakeAlerts();
  }

  void missingFileGivesTheDefaults() {
    QFile::remove(Ini());
    CAppSettings s(Ini(), "/start/here");
    s.Read();
    QCOMPARE(s.m_szMainDir, MainDirectory());
    QCOMPARE(s.m_szImageWriteDir, std::string("/start/here"));
    QCOMPARE(s.m_szImageReadDir, std::string("/start/here"));
    QCOMPARE(s.m_iImageWriteType, 2);
    QCOMPARE(s.m_iImageReadType, 2);
    QCOMPARE(s.FrameRect(), QRect(QPoint(20, 30), QPoint(599, 399)));
    QCOMPARE(s.m_iState, 1);
    QCOMPARE(s.m_iTipCount, 0);
    QCOMPARE(s.m_szDefaultEffect, std::string());
    QVERIFY(s.m_bLogging);
    for (int i = 0; i < 5; ++i) QCOMPARE(s.m_Recent.Entry(i), std::string());
  }

  void frameCorrections_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<int>("state");
    auto rect = [](int l, int t, int r, int b) { return QRect(QPoint(l, t), QPoint(r - 1, b - 1)); };
    QTest::newRow("too narrow") << "LEFT=100\nRIGHT=250\nTOP=30\nBOTTOM=400\nSTATE=1" << rect(10, 30, 310, 400) << 1;
    QTest::newRow("too low") << "LEFT=100\nRIGHT=500\nTOP=300\nBOTTOM=500\nSTATE=3" << rect(100, 40, 500, 340) << 3;
    QTest::newRow("negative") << "LEFT=-50\nRIGHT=500\nTOP=-7\nBOTTOM=500" << rect(0, 0, 500, 500) << 1;
    QTest::newRow("state 2") << "STATE=2" << rect(20, 30, 600, 400) << 1;
    QTest::newRow("state 0") << "STATE=0" << rect(20, 30, 600, 400) << 1;
    QTest::newRow("exactly 300") << "LEFT=0\nRIGHT=300\nTOP=0\nBOTTOM=300" << rect(0, 0, 300, 300) << 1;
    // Wholly above the origin: moving it down would leave no height.
    QTest::newRow("above the origin") << "LEFT=100\nRIGHT=900\nTOP=-5000\nBOTTOM=-4400" << rect(100, 40, 900, 340) << 1;
    // In 64 bits: the sides of a damaged file may be any two ints.
    QTest::newRow("sides crossed at the ends of int")
        << "LEFT=2147483647\nRIGHT=-2147483648\nTOP=-2147483648\nBOTTOM=2147483647" << rect(10, 0, 310, 2147483647)
        << 1;
    QTest::newRow("beyond int") << "LEFT=99999999999\nRIGHT=999999999999\nTOP=0\nBOTTOM=500" << rect(10, 0, 310, 500)
                                << 1;
  }
  void frameCorrections() {
    QFETCH(QString, text);
    QFETCH(QRect, rect);
    QFETCH(int, state);
    const CAppSettings s = ReadFrom("[MAINFRAME]\n" + text + "\n");
    QCOMPARE(s.FrameRect(), rect);
    QCOMPARE(s.m_iState, state);
  }

  void mainDirectory_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << "" << QString::fromStdString(MainDirectory());
    QTest::newRow("root") << "/" << QString::fromStdString(MainDirectory());
    QTest::newRow("absolute") << "/srv/brisol"
                              << "/srv/brisol";
    QTest::newRow("trailing slash") << "/srv/brisol/"
                                    << "/srv/brisol";
    QTest::newRow("relative") << "mine"
                              << "/start/mine";
  }
  void mainDirectory() {
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(ReadFrom("[FILES]\nMAIN=" + value + "\n").m_szMainDir), expected);
  }

  // Sections and keys are found whatever their letter case, and a number
  // is its leading digits, as the INI functions read them.
  void keysWhateverTheirCaseAndLeadingDigits() {
    const CAppSettings s = ReadFrom(
        "[files]\nImageWrite=/w\nimagewriteext=4 (PCX)\n[MainFrame]\nleft=100px\nRight=900\ntop= 12\nBOTTOM=700.9\n"
        "state=3rd\n[Vars]\nTipCount=+7 tips\nDefEffect=Leaves\nlogging=0 (off)\n[lastfiles]\nmro2=/b.png\n");
    QCOMPARE(s.m_szImageWriteDir, std::string("/w"));
    QCOMPARE(s.m_iImageWriteType, 4);
    QCOMPARE(s.FrameRect(), QRect(QPoint(100, 12), QPoint(899, 699)));
    QCOMPARE(s.m_iState, 3);
    QCOMPARE(s.m_iTipCount, 7);
    QCOMPARE(s.m_szDefaultEffect, std::string("Leaves"));
    QVERIFY(!s.m_bLogging);
    QCOMPARE(s.m_Recent.Entry(1), std::string("/b.png"));
  }

  // A value is its text and nothing else: what once stored objects (and
  // made the settings reader allocate without bound) is read as text, and
  // as a number gives 0.
  void storedObjectsAreReadAsText() {
    const CAppSettings s = ReadFrom(
        "[MAINFRAME]\nLEFT=@Variant(\\0\\0\\0\\x7f\\xff\\xff\\xff\\xff)\nRIGHT=800\n"
        "[VARS]\nTIPCOUNT=@Variant(\\0\\0\\0\\n\\0\\0\\0\\x7f\\xff\\xff\\xff)\n"
        "DEFEFFECT=@@Stars\n[LASTFILES]\nMRO1=@ByteArray(\\xff\\xff\\xff\\xff)\n");
    QCOMPARE(s.m_iLeft, 0);
    QCOMPARE(s.m_iTipCount, 0);
    QCOMPARE(s.m_szDefaultEffect, std::string("@Stars"));
    QVERIFY(s.m_Recent.Entry(0).starts_with("@ByteArray("));
  }

  // Values written survive a reading whatever they hold.
  void valuesComeBackAsWritten_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("comma") << "/pictures/rose, red.png";
    QTest::newRow("quotes and backslash") << "/a \"b\" \\c.png";
    QTest::newRow("leading at sign") << "@Variant(x)";
    QTest::newRow("blanks around") << "  /spaced  ";
    QTest::newRow("semicolon") << "/a;b.png";
    QTest::newRow("not ASCII") << "/home/J\u00fcrgen/\u00e9t\u00e9.png";
  }
  void valuesComeBackAsWritten() {
    QFETCH(QString, value);
    QFile::remove(Ini());
    CAppSettings s(Ini(), "/start");
    s.Read();
    s.m_Recent.Add(value.toStdString());
    QVERIFY(s.Write());
    CAppSettings back(Ini(), "/start");
    back.Read();
    QCOMPARE(QString::fromStdString(back.m_Recent.Entry(0)), value);
  }

  void aFileFarLargerThanSettingsIsNotRead() {
    QFile::remove(Ini());
    QDir().mkpath(QFileInfo(Ini()).absolutePath());
    QFile file(Ini());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[VARS]\nTIPCOUNT=9\n");
    file.write(QByteArray(2 << 20, 'x'));
    file.close();
    CAppSettings s(Ini(), "/start");
    s.Read();
    QCOMPARE(s.m_iTipCount, 0);
  }

  // With LOGGING 0 no log file is written, yet an error still shows.
  // (Before the start-up test below, which starts the program's one log.)
  void loggingOffWritesNoLog() {
    const std::string main = (test::UiTestEnvironment::Get().Folder() + "/nolog/Brisol").toStdString();
    test::WriteSettings(QString::fromStdString("[FILES]\nMAIN=" + main + "\n[VARS]\nLOGGING=0\n"));
    {
      test::StartedApp started;
      TheLogger().Log(kLogInfo, "an entry for the log");
      TheLogger().Log(kLogError, "an error for the user");
      QCOMPARE(test::TakeAlerts(), QStringList{"an error for the user"});
      QVERIFY(QFileInfo(QString::fromStdString(main)).isDir());
    }
    QVERIFY(!QFile::exists(QString::fromStdString(LogFilePath(main))));
    QVERIFY(!QFile::exists(QString::fromStdString(OldLogFilePath(main))));
  }

  // A main folder that cannot be made is one box, naming the folder and
  // the cause, with the warning icon; nothing else is tried or shown.
  void aMainFolderThatCannotBeMadeIsOneWarning() {
    const std::string blocker = (test::UiTestEnvironment::Get().Folder() + "/blocker").toStdString();
    test::WriteFile(blocker, "a file where a folder should go");
    const std::string main = blocker + "/Brisol";
    test::WriteSettings(QString::fromStdString("[FILES]\nMAIN=" + main + "\n[VARS]\nLOGGING=1\n"));
    test::Alerts().Clear();
    {
      test::StartedApp started;
      const std::vector<Alert> alerts = test::Alerts().Alerts();
      QCOMPARE(alerts.size(), std::size_t{1});
      const QString text = QString::fromStdString(alerts[0].text);
      QVERIFY2(text.startsWith(QString::fromStdString("Could not create directory:\n" + main + ".\n")),
               qPrintable(text));
      QVERIFY2(text.contains(QStringLiteral("Not a directory")), qPrintable(text));
      QCOMPARE(alerts[0].icon, int(kIconExclamation));
      QCOMPARE(started.app->EffectsDirectory(), main + "/Effects");
    }
    test::TakeAlerts();
  }

  void readsEveryValue() {
    const CAppSettings s = ReadFrom(
        "[FILES]\nIMAGEWRITE=/w\nIMAGEWRITEEXT=4\nIMAGEREAD=/r\nIMAGEREADEXT=0\n"
        "[VARS]\nTIPCOUNT=7\nDEFEFFECT=Leaves\nLOGGING=0\n"
        "[LASTFILES]\nMRO1=/a.png\nMRO3=/c.png\nMRO5=/e.png\n");
    QCOMPARE(s.m_szImageWriteDir, std::string("/w"));
    QCOMPARE(s.m_iImageWriteType, 4);
    QCOMPARE(s.m_szImageReadDir, std::string("/r"));
    QCOMPARE(s.m_iImageReadType, 0);
    QCOMPARE(s.m_iTipCount, 7);
    QCOMPARE(s.m_szDefaultEffect, std::string("Leaves"));
    QVERIFY(!s.m_bLogging);
    QCOMPARE(s.m_Recent.Entry(0), std::string("/a.png"));
    QCOMPARE(s.m_Recent.Entry(1), std::string());
    QCOMPARE(s.m_Recent.Entry(2), std::string("/c.png"));
    QCOMPARE(s.m_Recent.Entry(4), std::string("/e.png"));
  }

  void writesEverythingButMainAndLogging() {
    QFile::remove(Ini());
    CAppSettings s(Ini(), "/start");
    s.Read();
    s.m_szDefaultEffect = "Stars";
    s.m_Recent.Add("/pictures/rose, red.png");
    QVERIFY(s.Write());
    const QStringList keys = Keys();
    QVERIFY2(!keys.contains("FILES/MAIN"), qPrintable(keys.join(',')));
    QVERIFY(!keys.contains("VARS/LOGGING"));
    for (const char* key : {"MAINFRAME/LEFT", "MAINFRAME/RIGHT", "MAINFRAME/TOP", "MAINFRAME/BOTTOM", "MAINFRAME/STATE",
                            "VARS/TIPSON", "VARS/TIPCOUNT", "VARS/DEFEFFECT", "FILES/IMAGEWRITE", "FILES/IMAGEWRITEEXT",
                            "FILES/IMAGEREAD", "FILES/IMAGEREADEXT", "LASTFILES/MRO1", "LASTFILES/MRO5"}) {
      QVERIFY2(keys.contains(key), key);
    }
    CAppSettings back(Ini(), "/elsewhere");
    back.Read();
    QCOMPARE(back.m_szDefaultEffect, std::string("Stars"));
    QCOMPARE(back.m_Recent.Entry(0), std::string("/pictures/rose, red.png"));
    QCOMPARE(back.m_szImageReadDir, std::string("/start"));
  }

  void handEditedMainAndLoggingSurviveAWrite() {
    CAppSettings s = ReadFrom("[FILES]\nMAIN=/srv/brisol\n[VARS]\nLOGGING=0\n");
    QVERIFY(s.Write());
    const QSettings ini(Ini(), QSettings::IniFormat);
    QCOMPARE(ini.value("FILES/MAIN").toString(), QStringLiteral("/srv/brisol"));
    QCOMPARE(ini.value("VARS/LOGGING").toString(), QStringLiteral("0"));
  }

  void panelPlacement_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<bool>("visible");
    QTest::newRow("missing") << "" << 20 << 20 << true;
    QTest::newRow("kept") << "LEFT=300\nTOP=2000\nVISIBLE=0" << 300 << 2000 << false;
    QTest::newRow("negative") << "LEFT=-1\nTOP=0" << 50 << 0 << true;
    QTest::newRow("too far") << "LEFT=2001\nTOP=5000" << 50 << 50 << true;
  }
  void panelPlacement() {
    QFETCH(QString, text);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(bool, visible);
    const CAppSettings s = ReadFrom("[PARAMDLG]\n" + text + "\n");
    const PanelPlacement p = s.ReadPanel("PARAMDLG");
    QCOMPARE(p.left, left);
    QCOMPARE(p.top, top);
    QCOMPARE(p.visible, visible);
    s.WritePanel("COLMIXDLG", PanelPlacement{123, 456, false});
    const PanelPlacement back = s.ReadPanel("COLMIXDLG");
    QCOMPARE(back.left, 123);
    QCOMPARE(back.top, 456);
    QCOMPARE(back.visible, false);
  }

  void swprs() {
    CAppSettings s(Ini(), "/start");
    s.SWPRS("mainframe", QRect(5, 6, 700, 500), kFrameNormal);
    QCOMPARE(s.FrameRect(), QRect(5, 6, 700, 500));
    QCOMPARE(s.m_iState, 1);
    s.SWPRS("MAINFRAME", QRect(0, 0, 10, 10), kFrameMaximized);
    QCOMPARE(s.FrameRect(), QRect(5, 6, 700, 500));
    QCOMPARE(s.m_iState, 3);
    s.SWPRS("MAINFRAME", QRect(0, 0, 10, 10), 7);
    QCOMPARE(s.m_iState, 1);
    QCOMPARE(s.FrameRect(), QRect(5, 6, 700, 500));
    s.SWPRS("ORIGDLG", QRect(0, 0, 10, 10), kFrameNormal);
    QCOMPARE(test::TakeAlerts(), QStringList{"SWPRS:bad winname\n"});
    QCOMPARE(s.FrameRect(), QRect(5, 6, 700, 500));
  }

  void recentFilesKeepTheirOrder() {
    CRecentFiles recent;
    for (const char* path : {"/1.png", "/2.png", "/3.png"}) recent.Add(path);
    recent.Add("/1.png");  // already listed: stays where it is
    QCOMPARE(recent.Entry(0), std::string("/3.png"));
    QCOMPARE(recent.Entry(2), std::string("/1.png"));
    recent.Add("/4.png");
    recent.Add("/5.png");
    recent.Add("/6.png");  // the sixth drops the oldest
    const std::string expected[] = {"/6.png", "/5.png", "/4.png", "/3.png", "/2.png"};
    for (int i = 0; i < 5; ++i) QCOMPARE(recent.Entry(i), expected[i]);
    // Letter case tells files apart here.
    recent.Add("/6.PNG");
    QCOMPARE(recent.Entry(0), std::string("/6.PNG"));
    QVERIFY(test::TakeAlerts().isEmpty());
  }

  void recentFilesRefuseWhatIsNoFile() {
    CRecentFiles recent;
    recent.Add("");
    QCOMPARE(test::TakeAlerts(), QStringList{"***WARNING***: Strange filename in AddToMROList\n"});
    std::string out = "x";
    QVERIFY(!recent.Get(0, out));
    QCOMPARE(out, std::string());
    QVERIFY(!recent.Get(5, out));
    QVERIFY(!recent.Get(-1, out));
    QCOMPARE(test::TakeAlerts(),
             (QStringList{"***WARNING*** Bad MRO number 5.\n", "***WARNING*** Bad MRO number -1.\n"}));
    recent.Add("/a.png");
    QVERIFY(recent.Get(0, out));
    QCOMPARE(out, std::string("/a.png"));
  }

  // Start-up in a main directory of its own: created with its Effects
  // folder, made current, the last log moved aside.
  void startUpPreparesTheMainDirectory() {
    const std::string main = (test::UiTestEnvironment::Get().Folder() + "/start/deep/Brisol").toStdString();
    QVERIFY(MakeMainDirectory(main).ok());
    QVERIFY(QFileInfo(QString::fromStdString(main)).isDir());
    test::WriteFile(LogFilePath(main), "last run\n");
    test::WriteFile(OldLogFilePath(main), "the run before\n");
    StartLogger(main, "Brisol test");
    TheLogger().Log(kLogInfo, "one entry");
    QCOMPARE(test::ReadFile(OldLogFilePath(main)), std::string("last run\n"));
    const std::string log = test::ReadFile(LogFilePath(main));
    QVERIFY2(log.starts_with("CLogger::SetToFile (" + LogFilePath(main) + ") on Date: "), log.c_str());
    QVERIFY(log.find("Starting Brisol test \n") != std::string::npos);
    QVERIFY(log.find("Working directory=" + main + "\n") != std::string::npos);
    QVERIFY(log.find("one entry") != std::string::npos);

    const std::string effects = CheckMainDirectory(main);
    QCOMPARE(effects, main + "/Effects");
    QVERIFY(QFileInfo(QString::fromStdString(effects)).isDir());
    QCOMPARE(QDir::currentPath().toStdString(), main);
    QVERIFY(test::TakeAlerts().isEmpty());
  }

  void anUnusableMainDirectoryIsReported() {
    const std::string file = (test::UiTestEnvironment::Get().Folder() + "/plainfile").toStdString();
    test::WriteFile(file, "x");
    CheckMainDirectory(file);
    const QStringList alerts = test::TakeAlerts();
    QCOMPARE(alerts.size(), 2);
    QVERIFY2(alerts[0].startsWith("Could not change to main dir\n<" + QString::fromStdString(file) + ">"),
             qPrintable(alerts[0]));
    QCOMPARE(alerts[1], "Could not create directory:\n" + QString::fromStdString(file) + "/Effects.");
  }

  void versionString() {
    const QString v = QString::fromStdString(CBrisolApp::VersionString());
    QVERIFY2(
        QRegularExpression(R"(^Brisol 1\.15 \([A-Z][a-z]{2} [ 0-9]\d \d{4} - \d\d:\d\d:\d\d\)$)").match(v).hasMatch(),
        qPrintable(v));
  }
};

BRISOL_APP_TEST_MAIN(SettingsTest)
#include "Settings_test.moc"
