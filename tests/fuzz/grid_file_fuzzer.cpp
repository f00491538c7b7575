// Feeds arbitrary bytes to the grid file loader the way the program reads
// the table: from a file, into a live grid control. A rejected file must
// leave the grid exactly as it was; an accepted one must save and load
// again to the same grid.

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "grid/grid_commands.h"
#include "grid/grid_control.h"

namespace {

QApplication* app = nullptr;
QTemporaryDir* folder = nullptr;
rt::GridControl* grid = nullptr;

[[noreturn]] void fail(const char* what) {
    qCritical("grid fuzz check failed: %s", what);
    std::abort();
}

QByteArray state() {
    return rt::encodeGridFile(grid->toGridFile());
}

void exercise() {
    // Edits and drawing on whatever the file produced must stay safe.
    rt::gridInsertRow(*grid, QStringLiteral("请编辑"), 1);
    rt::gridSetFontHeight(*grid, 0, 0, 2, 2, 20);
    rt::gridSetAlignment(*grid, 0, 0, 2, 2, 2);
    QImage image(240, 120, QImage::Format_ARGB32);
    grid->render(&image);
    rt::gridDeleteRow(*grid, grid->rows() - 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QApplication(*argc, *argv);
    folder = new QTemporaryDir;
    grid = new rt::GridControl(nullptr);
    grid->resize(480, 176);
    rt::gridSetCell(*grid, 0, 0, 1, QStringLiteral("间隔时间(分)"));
    exercise();  // warm Qt's caches so they do not count against an input
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = folder->filePath(QStringLiteral("自定义提醒数据"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) fail("cannot write the input file");
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const bool decodes = rt::decodeGridFile(QByteArrayView(data, qsizetype(size))).has_value();
    const QByteArray before = state();
    const bool loaded = rt::gridLoad(*grid, path);
    if (loaded != decodes) fail("load and decode disagree");
    if (!loaded) {
        if (state() != before) fail("a rejected file changed the grid");
        return 0;
    }
    // What the grid would save must read back as the same grid (checked in
    // memory: a real save syncs to disk and would slow the fuzzer down).
    const QByteArray saved = state();
    const auto reread = rt::decodeGridFile(saved);
    if (!reread) fail("what the grid saves does not decode");
    grid->applyGridFile(*reread);
    if (state() != saved) fail("save and load changed the grid");
    exercise();
    return 0;
}
