// The code scheme of the contract hierarchy: segments and their order.
#include <QtTest>

#include "AppError.h"
#include "ContractCode.h"

class TreeCodesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void segments_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("segment");  // empty: refused
        QTest::newRow("1") << 1 << "0001";
        QTest::newRow("2") << 2 << "0002";
        QTest::newRow("9") << 9 << "0009";
        QTest::newRow("10") << 10 << "0010";
        QTest::newRow("99") << 99 << "0099";
        QTest::newRow("100") << 100 << "0100";
        QTest::newRow("999") << 999 << "0999";
        QTest::newRow("1000") << 1000 << "1000";
        QTest::newRow("9999") << 9999 << "9999";
        QTest::newRow("10000 would need a fifth digit") << 10000 << "";
        QTest::newRow("0") << 0 << "";
        QTest::newRow("negative") << -2 << "";
    }
    void segments() {
        QFETCH(int, number);
        QFETCH(QString, segment);
        if (segment.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(AppError, FormatCodeSegment(number));
        } else {
            QCOMPARE(FormatCodeSegment(number), segment);
        }
    }

    void order_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("after");
        QTest::newRow("greater top") << "0003"
                                     << "0002" << true;
        QTest::newRow("smaller top") << "0002"
                                     << "0003" << false;
        QTest::newRow("equal") << "00020002"
                               << "00020002" << false;
        QTest::newRow("last segment as number") << "00020010"
                                                << "00020002" << true;
        QTest::newRow("first difference decides") << "00020009"
                                                  << "00030002" << false;
        QTest::newRow("1000 after 0999") << "1000"
                                         << "0999" << true;
        QTest::newRow("short tail not compared") << "000212"
                                                 << "000234" << false;
        QTest::newRow("short tail not compared, reversed") << "000234"
                                                           << "000212" << false;
        QTest::newRow("stray segment after numbers") << "000A"
                                                     << "9999" << true;
        QTest::newRow("number before stray segment") << "9999"
                                                     << "000A" << false;
        QTest::newRow("stray segments by text") << "00B0"
                                                << "00A0" << true;
    }
    void order() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, after);
        QCOMPARE(CodeSortsAfter(a, b), after);
    }
};

QTEST_GUILESS_MAIN(TreeCodesTest)
#include "tst_treecodes.moc"
