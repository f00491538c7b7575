// Feeds arbitrary bytes to the profile reader and writer the way a
// hand-edited "配置.ini" reaches them: as the file on disk. Every read must
// come back; a write must succeed, read back as written, and leave every
// other key reading as it did before.

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "text/profile.h"

namespace {

QCoreApplication* app = nullptr;
QTemporaryDir* folder = nullptr;

struct Entry {
    const char16_t* section;
    const char16_t* key;
};

// The program's twelve keys, and a few names that hand edits bring.
constexpr Entry kEntries[] = {
    {u"计时", u"时"},
    {u"计时", u"分"},
    {u"计时", u"秒"},
    {u"计时", u"模式选择"},
    {u"计时", u"提醒类型"},
    {u"计时", u"间隔提醒时间"},
    {u"计时", u"自定义音频路径"},
    {u"计时", u"窗口置顶"},
    {u"计时", u"最终结束音"},
    {u"自定义提醒", u"启用自定义提醒"},
    {u"自定义提醒", u"启用CMD命令"},
    {u"热键配置", u"开始"},
    {u"Other", u"K"},
    {u"other", u"bad"},
    {u"a", u"b"},
};
constexpr int kCount = int(sizeof kEntries / sizeof kEntries[0]);

[[noreturn]] void fail(const char* what) {
    qCritical("profile fuzz check failed: %s", what);
    std::abort();
}

QString read(const QString& path, int i) {
    return rt::readIniEntry(path, QString::fromUtf16(kEntries[i].section),
                            QString::fromUtf16(kEntries[i].key), QStringLiteral("<none>"));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    app = new QCoreApplication(*argc, *argv);
    folder = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = folder->filePath(QStringLiteral("配置.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) fail("cannot write the input");
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QStringList before;
    for (int i = 0; i < kCount; ++i) before << read(path, i);

    // Which key is written follows from the input; the value has characters
    // GBK lacks.
    const int target = int(size % kCount);
    const QString value = QStringLiteral("值Übung😀%1").arg(size);
    if (!rt::writeIniEntry(path, QString::fromUtf16(kEntries[target].section),
                           QString::fromUtf16(kEntries[target].key), value))
        fail("a write to a readable file failed");
    for (int i = 0; i < kCount; ++i) {
        const QString now = read(path, i);
        if (i == target && now != value) fail("a written value does not read back");
        if (i != target && now != before[i]) fail("a write changed another key");
    }
    return 0;
}
