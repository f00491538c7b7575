// Save and load times of the reminder table's data file for tables of 10,
// 1,000 and 100,000 rows (target at 100,000: save 150 ms, load 300 ms), and
// load times of files with 200,000 columns, of one width and of many (a
// damaged or hostile file: target under a second).

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "grid/grid_commands.h"
#include "grid/grid_control.h"

using namespace Qt::StringLiterals;

namespace {

// A table as the program writes it: header look, three columns, every row
// with an interval, a Chinese reminder text and every third with a command.
rt::GridFile table(int dataRows) {
    rt::GridFile f;
    f.settings.rows = dataRows + 1;
    f.settings.columns = 3;
    f.settings.fixedRows = 1;
    f.rowHeights = QList<int32_t>(dataRows + 1, 40);
    f.columnWidths = {86, 216, 168};
    f.cells = {{0, 0, u"间隔时间(分)"_s, 0, {}},
               {0, 1, u"提醒内容"_s, 0, {}},
               {0, 2, u"CMD命令(试验)"_s, 0, {}}};
    QByteArray font = rt::defaultLogFont();
    rt::setLogFontHeight(font, 20);
    for (int32_t c = 0; c < 3; ++c) {
        f.fonts.append({0, c, font});
        f.attributes[rt::AttrFormat].append({0, c, 0x825});
    }
    for (int32_t r = 1; r <= dataRows; ++r) {
        f.cells.append({r, 0, QString::number(r % 90 + 1), 0, {}});
        f.cells.append({r, 1, u"第%1次提醒：起来活动一下"_s.arg(r), 0, {}});
        if (r % 3 == 0) f.cells.append({r, 2, u"echo row %1"_s.arg(r), 0, {}});
    }
    return f;
}

// One header row and as many columns as asked, each as wide as width(c).
template <typename Width>
rt::GridFile wideTable(int columns, Width width) {
    rt::GridFile f;
    f.settings.rows = 2;
    f.settings.columns = columns;
    f.settings.fixedRows = 1;
    f.rowHeights = {40, 40};
    for (int c = 0; c < columns; ++c) f.columnWidths.append(width(c));
    f.cells = {{0, 0, u"间隔时间(分)"_s, 0, {}}, {1, 1, u"喝水"_s, 0, {}}};
    return f;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms(QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"自定义提醒数据"_s);

    std::printf("%10s %12s %12s %12s %12s %12s\n", "rows", "file bytes", "save ms", "load ms",
                "encode ms", "decode ms");
    for (int rows : {10, 1000, 100000}) {
        const int runs = rows >= 100000 ? 5 : 20;
        rt::GridControl grid(nullptr);
        grid.resize(480, 176);
        grid.show();
        grid.applyGridFile(table(rows));
        std::vector<double> save, load, encode, decode;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer t;
            t.start();
            rt::gridSave(grid, path);
            QApplication::processEvents();
            save.push_back(ms(t));

            rt::GridControl fresh(nullptr);
            fresh.resize(480, 176);
            fresh.show();
            t.restart();
            rt::gridLoad(fresh, path);
            // Layout work the view leaves for the event loop counts as well.
            QApplication::processEvents();
            load.push_back(ms(t));

            t.restart();
            const QByteArray bytes = rt::encodeGridFile(grid.toGridFile());
            encode.push_back(ms(t));
            t.restart();
            const auto decoded = rt::decodeGridFile(bytes);
            decode.push_back(ms(t));
            if (!decoded || fresh.rows() != rows + 1) std::printf("round trip failed\n");
        }
        std::printf("%10d %12lld %12.2f %12.2f %12.2f %12.2f\n", rows,
                    static_cast<long long>(QFileInfo(path).size()), median(save), median(load),
                    median(encode), median(decode));
    }
    std::printf(
        "(medians; load into a new, shown grid, pending layout included; target at 100000 rows: "
        "save <= 150 ms, "
        "load <= 300 ms)\n");

    std::printf("\n%10s %12s %12s %12s\n", "columns", "widths", "file bytes", "load ms");
    const std::pair<const char*, int (*)(int)> kinds[] = {
        {"one", [](int) { return 1234; }},
        {"many", [](int c) { return 600 + c % 997; }},
    };
    for (const auto& [kind, width] : kinds) {
        rt::GridControl grid(nullptr);
        grid.applyGridFile(wideTable(200000, width));
        rt::gridSave(grid, path);
        std::vector<double> load;
        for (int i = 0; i < 3; ++i) {
            rt::GridControl fresh(nullptr);
            fresh.resize(480, 176);
            fresh.show();
            QElapsedTimer t;
            t.start();
            rt::gridLoad(fresh, path);
            QApplication::processEvents();
            load.push_back(ms(t));
            if (fresh.columns() != 200000) std::printf("wide load failed\n");
        }
        std::printf("%10d %12s %12lld %12.2f\n", 200000, kind,
                    static_cast<long long>(QFileInfo(path).size()), median(load));
    }
    std::printf("(medians; target: under 1000 ms)\n");
    return 0;
}
