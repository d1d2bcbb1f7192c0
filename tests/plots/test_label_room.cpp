// Which graph labels have room: the first of each crowd is drawn, the ones it would overlap are
// not, and labels off the plot take no room.
#include "kirv/plots/label_room.h"

#include <QTest>

using namespace kirv;
using Boxes = QList<QRectF>;
using Drawn = QList<bool>;

class TestLabelRoom : public QObject
{
    Q_OBJECT
private slots:
    void labelsWithRoom_data()
    {
        QTest::addColumn<Boxes>("boxes");
        QTest::addColumn<Drawn>("drawn");
        const auto at = [](qreal x, qreal y = 10) { return QRectF(x, y, 40, 16); };
        QTest::newRow("apart: all") << Boxes{at(0), at(60), at(120)} << Drawn{true, true, true};
        QTest::newRow("overlapping: the first") << Boxes{at(0), at(20)} << Drawn{true, false};
        // The second is hidden, so the third only has to keep clear of the first.
        QTest::newRow("chain") << Boxes{at(0), at(30), at(50)} << Drawn{true, false, true};
        QTest::newRow("closer than the gap") << Boxes{at(0), at(42)} << Drawn{true, false};
        QTest::newRow("just the gap apart") << Boxes{at(0), at(48.5)} << Drawn{true, true};
        QTest::newRow("rows do not collide") << Boxes{at(0, 10), at(0, 60)} << Drawn{true, true};
        QTest::newRow("off the plot: takes no room")
            << Boxes{at(-100), at(1000), at(0)} << Drawn{false, false, true};
        QTest::newRow("half over the edge") << Boxes{at(-10)} << Drawn{true};
        QTest::newRow("empty box") << Boxes{QRectF(), at(0)} << Drawn{false, true};
        // Tens of pause marks two pixels apart: one label per label width.
        Boxes band;
        Drawn every;
        for (int i = 0; i < 60; ++i) {
            band << at(2 * i);
            every << (i % 22 == 0);
        }
        QTest::newRow("band") << band << every;
    }
    void labelsWithRoom()
    {
        QFETCH(Boxes, boxes);
        const std::vector<bool> drawn = kirv::labelsWithRoom(boxes, QRectF(0, 0, 500, 300), 4);
        QTEST(Drawn(drawn.begin(), drawn.end()), "drawn");
    }
};

QTEST_APPLESS_MAIN(TestLabelRoom)
#include "test_label_room.moc"
