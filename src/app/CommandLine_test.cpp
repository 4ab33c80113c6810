// "Copy as Command Line": quoting for the shell and the command's parts.
#include <QClipboard>

#include "app/AppTestSupport.h"
#include "app/CommandLine.h"
#include "effect/EffectParams.h"

using namespace brisol;

class CommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }

  void shellQuoting_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("plain") << "/home/ann/rose.jpg"
                           << "/home/ann/rose.jpg";
    QTest::newRow("number") << "-12.5"
                            << "-12.5";
    QTest::newRow("blank") << "/my photos/a b.png"
                           << "'/my photos/a b.png'";
    QTest::newRow("colour") << "#ff8000"
                            << "'#ff8000'";
    QTest::newRow("quote") << "it's.png"
                           << "'it'\\''s.png'";
    QTest::newRow("dollar") << "$HOME"
                            << "'$HOME'";
    QTest::newRow("empty") << ""
                           << "''";
  }
  void shellQuoting() {
    QFETCH(QString, text);
    QFETCH(QString, quoted);
    QCOMPARE(QString::fromStdString(ShellQuote(text.toStdString())), quoted);
  }

  void everyParameterThatMattersSeedQualityAndCollection() {
    CEffect effect;
    effect.LoadShapes("/data/Effects/My Shapes");
    test::TakeAlerts();
    effect.SetSeed(-42);
    effect.SetSize(7.25);
    effect.SetLineColSrc(eColSrcSingle);
    effect.SetLineColor(RGB(255, 128, 0));
    RenderCommand command;
    command.input = "/p/rose.jpg";
    command.output = DefaultRenderOutput(command.input);
    const std::string line = RenderCommandLine(command, effect, 2);
    QVERIFY2(line.starts_with("brisol-cli render /p/rose.jpg rose-brisol.png --effect '/data/Effects/My Shapes'"),
             line.c_str());
    for (const EffectParam& param : EffectParams()) {
      const std::string part = " " + param.Option() + " " + ShellQuote(FormatParamValue(param, effect));
      const bool matters = param.inactiveBecause == nullptr || param.inactiveBecause(effect) == nullptr;
      QVERIFY2((line.find(part) != std::string::npos) == matters, part.c_str());
    }
    QVERIFY(line.find(" --size 7.25") != std::string::npos);
    QVERIFY(line.find(" --line-color '#ff8000'") != std::string::npos);
    QVERIFY(line.ends_with(" --seed -42 --quality 2"));
  }

  // Numbers in the shortest form that reads back exactly; the options that
  // change nothing under the others (here: the single colours, a random
  // angle's angles, the even mix's visibility) left out.
  void numbersAreShortAndExactAndUnusedOptionsLeftOut() {
    CEffect effect;
    effect.SetLineWidth(0.225);
    effect.SetSolidColVar(0.1);
    effect.SetAngleReaction(eReactRandom);
    effect.SetMixGeom(eMixEven);
    RenderCommand command;
    command.input = "/read-only/rose.png";
    command.output = DefaultRenderOutput(command.input);
    const std::string line = RenderCommandLine(command, effect, 1);
    QVERIFY2(line.find(" --line-width 0.225 ") != std::string::npos, line.c_str());
    QVERIFY2(line.find(" --fill-var 0.1 ") != std::string::npos, line.c_str());
    QVERIFY2(line.find(" --line-var 0.35 ") != std::string::npos, line.c_str());
    for (const char* unused :
         {" --angle ", " --angle-var ", " --fill-color ", " --line-color ", " --background-color ", " --mix-visible "})
      QVERIFY2(line.find(unused) == std::string::npos, unused);
    QVERIFY(line.find(" --mix-sharpness ") != std::string::npos);
    // Every number reads back to the value the picture was drawn with.
    for (const EffectParam& param : EffectParams()) {
      double back = 0;
      if (param.kind != ParamKind::Real) continue;
      QVERIFY(ParseParamValue(param, FormatParamValue(param, effect), back));
      QCOMPARE(back, param.get(effect));
    }
  }

  void aShrunkPictureIsShrunkTheSameWayFirst() {
    CEffect effect;
    RenderCommand command;
    command.program = "/opt/bin/brisol-cli";
    command.input = "/p/big photo.png";
    command.output = DefaultRenderOutput(command.input);
    command.resizedWidth = 975;
    command.resizedHeight = 731;
    command.resizedFile = DefaultResizedFile(command.input, 975, 731);
    const std::string line = RenderCommandLine(command, effect, 1);
    QVERIFY2(line.starts_with("/opt/bin/brisol-cli convert '/p/big photo.png' 'big photo-975x731.png' --resize "
                              "975x731 && /opt/bin/brisol-cli render 'big photo-975x731.png' "
                              "'big photo-brisol.png' "),
             line.c_str());
  }

  // The output goes to the folder the command runs in, not beside the
  // photo, whose folder may be read-only.
  void outputNames() {
    QCOMPARE(DefaultRenderOutput("/a/b.c/rose.jpeg"), std::string("rose-brisol.png"));
    QCOMPARE(DefaultRenderOutput("/a/b.c/noext"), std::string("noext-brisol.png"));
    QCOMPARE(DefaultRenderOutput("/a/.hidden"), std::string(".hidden-brisol.png"));
    QCOMPARE(DefaultResizedFile("/a/x.bmp", 3, 4), std::string("x-3x4.png"));
  }
};

BRISOL_APP_TEST_MAIN(CommandLineTest)
#include "CommandLine_test.moc"
