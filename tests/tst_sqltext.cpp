// How values are written into statement text and read back.
#include <QtTest>

#include "SqlLiteral.h"

class SqlTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void amountSyntax_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        const QList<QPair<const char*, bool>> cases = {
            {"0", true},       {"1500", true},     {"1500.00", true}, {" 12.5 ", true},
            {"\t12.5", true},  {"1e3", true},      {"-2.5", true},    {"+7", true},
            {".5", true},      {"5.", true},       {"1.5E-3", true},  {"1e+20", true},
            {"", false},       {" ", false},       {"1,5", false},    {"1,500", false},
            {"inf", false},    {"nan", false},     {"0x10", false},   {"1;", false},
            {"1 --", false},   {"abc", false},     {"1e", false},     {".", false},
            {"- 5", false},    {"--5", false},     {"1e999", false},  {"1 2", false},
            {"12)", false},    {"1e3 or 1=1", false}, {"１２", false},
        };
        for (const auto& [typed, accepted] : cases)
            QTest::newRow(typed[0] ? typed : "(empty)") << QString::fromUtf8(typed) << accepted;
    }
    void amountSyntax() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QCOMPARE(sql::isAmountText(typed), accepted);
    }

    void textLiteralDoublesQuotesAndKeepsLineBreaks() {
        QCOMPARE(sql::textLiteral(QStringLiteral("O'Brien's")), QStringLiteral("'O''Brien''s'"));
        QCOMPARE(sql::textLiteral(QStringLiteral("第一行\r\n第二行")), QStringLiteral("'第一行\r\n第二行'"));
        QCOMPARE(sql::textLiteral(QString()), QStringLiteral("''"));
    }

    void datesAndFlags() {
        QCOMPARE(sql::dateLiteral(QDate(2026, 3, 5)), QStringLiteral("'2026-03-05'"));
        QCOMPARE(sql::parseStoredDate(QStringLiteral("2026-03-05")), QDate(2026, 3, 5));
        QCOMPARE(sql::parseStoredDate(QStringLiteral("2026-03-05 00:00:00")), QDate(2026, 3, 5));
        QCOMPARE(sql::parseStoredDate(QString()), QDate(1899, 12, 30));
        QCOMPARE(sql::flagLiteral(true), QStringLiteral("'true'"));
        QCOMPARE(sql::flagLiteral(false), QStringLiteral("'false'"));
        QVERIFY(sql::flagIsSet(QStringLiteral("true")));
        QVERIFY(!sql::flagIsSet(QStringLiteral("True")));
        QVERIFY(!sql::flagIsSet(QString()));
    }

    void amountsReadBackInGeneralFormat_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("whole") << 1500.0 << "1500";
        QTest::newRow("fraction") << 2.5 << "2.5";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("15 digits") << 1000000.25 << "1000000.25";
        QTest::newRow("binary noise") << 0.30000000000000004 << "0.3";
        QTest::newRow("negative") << -2.5 << "-2.5";
        QTest::newRow("ten million") << 1e7 << "10000000";
    }
    void amountsReadBackInGeneralFormat() {
        QFETCH(double, value);
        QFETCH(QString, shown);
        QCOMPARE(sql::formatAmount(value), shown);
    }
};

QTEST_GUILESS_MAIN(SqlTextTest)
#include "tst_sqltext.moc"
