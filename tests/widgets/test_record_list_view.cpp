#include "kirv/widgets/record_list_view.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

#include <array>
#include <vector>

namespace {

// Three text columns with the titles as header data, as the record list models give them.
class Records : public QAbstractTableModel
{
public:
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return m_rows[std::size_t(index.row())][std::size_t(index.column())];
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        return std::array {"No.s", "Date Time", "dB"}[std::size_t(section)];
    }

    void append(int count)
    {
        const int first = rowCount();
        beginInsertRows({}, first, first + count - 1);
        for (int i = first; i < first + count; ++i)
            m_rows.push_back({QString::number(i + 1), QStringLiteral("2024/05/01 10:00:00"),
                              QString::number(60.0 + (i % 400) / 10.0, 'f', 1)});
        endInsertRows();
    }
    void reset()
    {
        beginResetModel();
        m_rows.clear();
        endResetModel();
    }

private:
    std::vector<std::array<QString, 3>> m_rows;
};

bool lastRowVisible(QTableView* grid)
{
    const QModelIndex last = grid->model()->index(grid->model()->rowCount() - 1, 0);
    const int y = grid->rowViewportPosition(last.row());
    return y >= 0 && y + grid->rowHeight(last.row()) <= grid->viewport()->height();
}

} // namespace

class TestRecordListView : public QObject
{
    Q_OBJECT

private:
    Records m_model;
    std::unique_ptr<kirv::RecordListView> m_view;

    int topOf(int column) const { return m_view->gridN(column)->verticalScrollBar()->value(); }

private slots:
    void init()
    {
        m_model.reset();
        m_view = std::make_unique<kirv::RecordListView>();
        m_view->setModel(&m_model);
        m_view->resize(400, 200);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup() { m_view.reset(); }

    void eachGridShowsItsColumn()
    {
        QCOMPARE(m_view->gridN(3), nullptr);
        for (int i = 0; i < 3; ++i) {
            QTableView* grid = m_view->gridN(i);
            for (int c = 0; c < 3; ++c)
                QCOMPARE(grid->isColumnHidden(c), c != i);
        }
        // A reset rebuilds the headers; the grids keep to their columns.
        m_model.append(3);
        m_model.reset();
        for (int i = 0; i < 3; ++i)
            for (int c = 0; c < 3; ++c)
                QCOMPARE(m_view->gridN(i)->isColumnHidden(c), c != i);
    }

    void onlyLevelColumnShowsScrollBar()
    {
        m_model.append(100);
        QTRY_VERIFY(m_view->gridN(2)->verticalScrollBar()->isVisible());
        QVERIFY(!m_view->gridN(0)->verticalScrollBar()->isVisible());
        QVERIFY(!m_view->gridN(1)->verticalScrollBar()->isVisible());
        QVERIFY(!m_view->gridN(0)->horizontalScrollBar()->isVisible());
    }

    void widthsFollowSampleTexts()
    {
        const QFontMetrics metrics(m_view->font());
        const int margin = m_view->columnWidth(0) - metrics.horizontalAdvance("ABADEAA");
        QVERIFY(margin >= 0 && margin < 12);
        const std::array samples {"ABADEAA", "AAAAA/AA/AAHH:NN:SSA", "ABADEAAA"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(m_view->sampleText(i), samples[std::size_t(i)]);
            QCOMPARE(m_view->columnWidth(i), metrics.horizontalAdvance(samples[std::size_t(i)]) + margin);
            QCOMPARE(m_view->gridN(i)->columnWidth(i), m_view->columnWidth(i));
            // The whole cell is on screen: no horizontal scrolling inside a grid.
            QVERIFY(m_view->gridN(i)->viewport()->width() >= m_view->columnWidth(i));
        }

        QFont bigger = m_view->font();
        bigger.setPointSizeF(bigger.pointSizeF() * 2);
        const int before = m_view->gridN(1)->columnWidth(1);
        m_view->setFont(bigger);
        QCOMPARE(m_view->gridN(1)->columnWidth(1),
                 QFontMetrics(bigger).horizontalAdvance(samples[1]) + margin);
        QVERIFY(m_view->gridN(1)->columnWidth(1) > before);
    }

    void columnsScrollTogether_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("wheel");
        for (int column = 0; column < 3; ++column) {
            QTest::addRow("bar of %d", column) << column << false;
            QTest::addRow("wheel over %d", column) << column << true;
        }
    }
    void columnsScrollTogether()
    {
        QFETCH(int, column);
        QFETCH(bool, wheel);
        m_model.append(200);
        QSignalSpy moved(m_view.get(), &kirv::RecordListView::topRowChanged);
        QTableView* grid = m_view->gridN(column);
        // The grids lay out new rows on the next turn of the event loop; scroll after that.
        QTRY_VERIFY(grid->verticalScrollBar()->maximum() > 100);
        if (wheel) {
            const QPoint at = grid->viewport()->rect().center();
            QWheelEvent event(at, grid->viewport()->mapToGlobal(at), {}, QPoint(0, -120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(grid->viewport(), &event);
        } else {
            grid->verticalScrollBar()->setValue(57);
        }
        QTRY_VERIFY(topOf(column) > 0);
        QCOMPARE(topOf(0), topOf(column));
        QCOMPARE(topOf(1), topOf(column));
        QCOMPARE(topOf(2), topOf(column));
        QCOMPARE(m_view->topRow(), topOf(column));
        QVERIFY(!moved.isEmpty());
        QCOMPARE(moved.constLast().at(0).toInt(), topOf(column));
        // The rows on screen are the same rows in every grid.
        QCOMPARE(m_view->gridN(0)->rowAt(0), m_view->gridN(2)->rowAt(0));
    }

    void setTopRowRightAfterAppend()
    {
        m_model.append(500);
        m_view->setTopRow(321);
        QCOMPARE(m_view->topRow(), 321);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(topOf(i), 321);
    }

    void keepNewestInView()
    {
        m_view->setKeepNewestInView(true);
        for (int n = 1; n <= 40; ++n) {
            m_model.append(1);
            for (int i = 0; i < 3; ++i)
                QVERIFY2(lastRowVisible(m_view->gridN(i)), qPrintable(QString::number(n)));
            QCOMPARE(m_view->gridN(2)->currentIndex().row(), n - 1);
            QVERIFY(m_view->gridN(0)->selectionModel()->isRowSelected(n - 1, {}));
        }
        QVERIFY(m_view->topRow() > 0);

        m_view->setKeepNewestInView(false);
        m_view->setTopRow(0);
        m_model.append(5);
        QCOMPARE(m_view->topRow(), 0);
    }

    void readerScrolledBackIsNotPulledAway()
    {
        m_view->setKeepNewestInView(true);
        m_model.append(60);
        m_view->setTopRow(10); // reading earlier rows
        const int current = m_view->gridN(2)->currentIndex().row();
        m_model.append(3);
        QCOMPARE(m_view->topRow(), 10);
        QCOMPARE(m_view->gridN(2)->currentIndex().row(), current);

        // Back at the end, the list follows the new samples again.
        m_view->scrollToNewest();
        m_model.append(1);
        QVERIFY(lastRowVisible(m_view->gridN(2)));
        QCOMPARE(m_view->gridN(2)->currentIndex().row(), 63);
    }

    void keepNewestInFullLiveList()
    {
        // A full day's live list: appending one more must still bring it into view.
        m_model.append(348000);
        m_view->setKeepNewestInView(true);
        m_model.append(1);
        for (int i = 0; i < 3; ++i)
            QVERIFY(lastRowVisible(m_view->gridN(i)));
        QCOMPARE(m_view->gridN(2)->currentIndex().row(), 348000);
    }
};

QTEST_MAIN(TestRecordListView)
#include "test_record_list_view.moc"
