// The supplier directory over many units against the bare read it rests on.
//
// BM_RawOrderedScan steps "select * from ghdwinfo order by sdq asc,dwmc asc" through the
// sqlite3 C API (the pinyin collation registered) and reads the three columns the list
// shows: the floor for anything that lists the units in order. BM_OpenDirectory opens the
// dialog (list, first unit, layout and first paint, offscreen) and closes it;
// BM_SaveUnit saves the shown unit, which reloads the list and finds the unit again;
// BM_SearchWithoutMatch walks the whole list twice before "没有找到". The files hold units
// of 31 regions with generated Chinese names, stored in random order, made once per size in
// a fresh folder under $TMPDIR (or /tmp). Argument: the number of units.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "ChineseCollation.h"
#include "CommandGuard.h"
#include "ContractQuery.h"
#include "Desktop.h"
#include "Tghdwform.h"
#include "BenchSupport.h"

namespace {

using namespace bench;

sqlite3* openFile(const QString& path) {
    sqlite3* db = openRaw(path);
    registerChineseCollation(db);
    return db;
}

QString supplierFile(int count) {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/bench_suppliers-XXXXXX"));
    static QMap<int, QString> made;
    if (made.contains(count)) return made.value(count);
    const QString path = folder.filePath(QStringLiteral("suppliers-%1.pzq").arg(count));
    copyTemplate(QStringLiteral(VEMORA_TEMPLATE_PATH), path);

    const QStringList regions = QStringLiteral(
                                    "北京 天津 河北 山西 内蒙古 辽宁 吉林 黑龙江 上海 江苏 浙江 "
                                    "安徽 福建 江西 山东 河南 湖北 湖南 广东 广西 海南 重庆 四川 "
                                    "贵州 云南 西藏 陕西 甘肃 青海 宁夏 新疆")
                                    .split(' ');
    const QString syllables = QStringLiteral("华建宏远鑫泰恒达中兴隆盛安顺通利新源永昌金诚");
    const QStringList kinds = {QStringLiteral("建筑工程有限公司"), QStringLiteral("机电设备厂"),
                               QStringLiteral("建材贸易公司"), QStringLiteral("工程咨询中心")};
    std::mt19937 random(20260315);
    std::vector<int> ids(count);
    for (int i = 0; i < count; ++i) ids[i] = i + 1;
    std::shuffle(ids.begin(), ids.end(), random);

    sqlite3* db = openFile(path);
    exec(db, "begin");
    sqlite3_stmt* insert =
        prepare(db,
                "insert into ghdwinfo (id,dwmc,dwdz,dwxz,lxr,dh,cz,yb,jsyh,zh,zzsh,sdq) "
                "values (?,?,'某市某区某路88号','供方','王经理','010-12345678',"
                "'010-12345679','100000','中国工商银行某支行','6222020200001234567',"
                "'91110000123456789X',?)");
    for (int i = 0; i < count; ++i) {
        QString name;
        for (int s = 0; s < 4; ++s) name += syllables.at(int(random() % syllables.size()));
        name += kinds.at(int(random() % kinds.size()));
        sqlite3_bind_int(insert, 1, ids[i]);
        bindText(insert, 2, name);
        bindText(insert, 3, regions.at(int(random() % regions.size())));
        step(db, insert);
    }
    sqlite3_finalize(insert);
    exec(db, "commit");
    sqlite3_close(db);
    made.insert(count, path);
    return path;
}

void BM_RawOrderedScan(benchmark::State& state) {
    sqlite3* db = openFile(supplierFile(int(state.range(0))));
    int rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* scan = nullptr;
        sqlite3_prepare_v2(db, "select * from ghdwinfo order by sdq asc,dwmc asc", -1, &scan,
                           nullptr);
        rows = 0;
        while (sqlite3_step(scan) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int64(scan, 0));
            benchmark::DoNotOptimize(sqlite3_column_text(scan, 1));
            benchmark::DoNotOptimize(sqlite3_column_text(scan, 11));
            ++rows;
        }
        sqlite3_finalize(scan);
    }
    sqlite3_close(db);
    if (rows != state.range(0)) fail("the scan did not see every row");
    state.counters["rows"] = rows;
}

struct Directory {
    SilentDesktop desktop;
    QWidget host;
    CommandGuard guard{desktop, &host};
    ContractQuery query;

    explicit Directory(int count) { query.setContractFile(supplierFile(count)); }
};

void BM_OpenDirectory(benchmark::State& state) {
    Directory directory(int(state.range(0)));
    int rows = 0;
    for (auto _ : state) {
        Tghdwform dialog(directory.query, directory.guard);
        dialog.show();
        QCoreApplication::processEvents();  // the list's layout and its first paint
        rows = dialog.findChild<QTableWidget*>(QStringLiteral("StringGrid1"))->rowCount();
    }
    if (rows != state.range(0) || directory.desktop.messages != 0)
        fail("the list did not take every unit");
    state.counters["rows"] = rows;
}

void BM_SaveUnit(benchmark::State& state) {
    Directory directory(int(state.range(0)));
    Tghdwform dialog(directory.query, directory.guard);
    dialog.show();
    QCoreApplication::processEvents();
    auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
    grid->setCurrentCell(grid->rowCount() / 2, 1);
    auto* address = dialog.findChild<QLineEdit*>(QStringLiteral("Edit2"));
    auto* save = dialog.findChild<QPushButton*>(QStringLiteral("FlatButton2"));
    int n = 0;
    for (auto _ : state) {
        // A key typed at the end of the address: a person's edit, which arms "保存".
        address->setFocus();
        address->end(false);
        const QString digit = QString::number(++n % 10);
        QKeyEvent key(QEvent::KeyPress, Qt::Key_0 + n % 10, Qt::NoModifier, digit);
        QCoreApplication::sendEvent(address, &key);
        save->click();
        QCoreApplication::processEvents();
    }
    if (save->isEnabled() || directory.desktop.messages != 0) fail("the unit was not saved");
}

void BM_SearchWithoutMatch(benchmark::State& state) {
    Directory directory(int(state.range(0)));
    Tghdwform dialog(directory.query, directory.guard);
    dialog.show();
    QCoreApplication::processEvents();
    dialog.findChild<QLineEdit*>(QStringLiteral("Edit10"))->setText(QStringLiteral("不存在"));
    auto* search = dialog.findChild<QPushButton*>(QStringLiteral("FlatButton5"));
    for (auto _ : state) search->click();
    if (directory.desktop.messages != int(state.iterations())) fail("a search found something");
}

}  // namespace

BENCHMARK(BM_RawOrderedScan)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDirectory)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveUnit)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchWithoutMatch)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::runBenchmarks(argc, argv, bench::QtKind::Widgets); }
