// The virtual card's interlaced picture through corvane-ctl snapshot at 720 x 576: woven fields comb where
// the pattern moves, and the default deinterlacer takes most of that away.
#include "comb_metric.h"
#include "ctl_process.h"

#include <QImage>

namespace {

class CtlDeinterlace : public CtlProcessTest {
protected:
    CombReading snapshot(const QString& method) {
        const QString name = QStringLiteral("shot-%1.png").arg(method);
        QStringList args = {QStringLiteral("snapshot"), name,
                            QStringLiteral("--tune"),   QStringLiteral("tv"),
                            QStringLiteral("196.25"),   QStringLiteral("--size"),
                            QStringLiteral("720x576")};
        if (!method.isEmpty()) {
            args << QStringLiteral("--deinterlace") << method;
        }
        const CtlRun result = run(args);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QImage picture(folder_.filePath(name));
        EXPECT_EQ(picture.size(), QSize(720, 576));
        return ReadComb(picture);
    }
};

TEST_F(CtlDeinterlace, TheDefaultMethodRemovesMostOfTheCombs) {
    useCard("{}");
    const CombReading woven = snapshot(QStringLiteral("off"));
    // Without deinterlacing the fields' lines disagree far more than lines of one field do.
    EXPECT_GT(woven.comb(), 1.0) << "adjacent " << woven.adjacent << ", two apart " << woven.twoApart;
    const CombReading byDefault = snapshot(QString());
    EXPECT_LT(byDefault.comb(), woven.comb() / 4)
        << "off " << woven.comb() << ", default " << byDefault.comb();
}

TEST_F(CtlDeinterlace, AProgressiveSizeHasNoCombsToRemove) {
    useCard("{}");
    const CtlRun result =
        run({"snapshot", "half.png", "--tune", "tv", "196.25", "--size", "384x288", "--deinterlace", "off"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_LT(ReadComb(QImage(folder_.filePath(QStringLiteral("half.png")))).comb(), 0.5);
}

TEST_F(CtlDeinterlace, AnUnknownMethodIsRefusedBeforeTheDeviceIsOpened) {
    const CtlRun result = run({"snapshot", "a.png", "--deinterlace", "bob"});
    EXPECT_EQ(result.exitCode, 2) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("--deinterlace needs off or one of: tomsmocomp, greedyh"))
        << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(folder_.filePath(QStringLiteral("a.png"))));
}

} // namespace
