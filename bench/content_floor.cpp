// The floor the main window's content sets on start-up: the bare window of
// bench_startup plus only what the timer's window cannot start without,
// done with the program's own parts and nothing else. Its visible texts as
// plain labels, each in the face and size its control has (the CJK face at
// several sizes, the 49 px bold digits); "配置.ini" read from the working
// folder and decoded from GBK; one copy per settings folder claimed as the
// program claims it, with a lock file and a listening local server (the
// program's own class would bring the whole desktop layer with its
// generated code). bench_startup starts it beside the program and the
// bare window, so the program's own cost is what it uses beyond this.

#include <QDir>
#include <QFile>
#include <QHash>
#include <QLocalServer>
#include <QLockFile>
#include <QSet>
#include <QStandardPaths>

#include "bare_window.h"
#include "runtime/first_paint.h"
#include "runtime/fonts.h"
#include "text/text_codec.h"
#include "ui/window_descriptions.h"

using namespace Qt::StringLiterals;

namespace {

// Controls that show a text in the window as it first paints: no hidden
// ones, and nothing in the panels the program builds after that paint.
QList<const rt::ControlDesc*> firstPaintTexts(const rt::WindowDesc& window) {
    using rt::Kind;
    static const QSet<Kind> texts{Kind::Label,   Kind::Button,   Kind::CheckBox, Kind::RadioButton,
                                  Kind::EditBox, Kind::GroupBox, Kind::ComboBox};
    QSet<QString> later;
    QList<const rt::ControlDesc*> shown;
    for (const rt::ControlDesc& c : window.controls) {
        if (c.props.value(u"later"_s).toBool() || later.contains(c.parent)) {
            later << c.name;
            continue;
        }
        if (texts.contains(c.kind) && !c.caption.isEmpty() && !c.props.value(u"hidden"_s).toBool())
            shown << &c;
    }
    return shown;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rt::useDefaultUiFont();
    BareWindow w;
    // Each text where its control is, as the program places them (no
    // layout measures them), in a window the size of the program's as it
    // first shows: its first panel, the others closed.
    const rt::WindowDesc desc = zorvik::mainWindowDescription();
    const QRect shown =
        desc.panels.empty() ? QRect(0, 0, desc.width, desc.height) : desc.panels.front().region;
    QWidget* client = w.centralWidget();
    client->setMinimumSize(shown.size());
    QHash<QString, QPoint> origin;
    for (const rt::ControlDesc& c : desc.controls)
        origin.insert(c.name, origin.value(c.parent) + QPoint(c.left, c.top));
    for (const rt::ControlDesc* c : firstPaintTexts(desc)) {
        const QRect place(origin.value(c->name), QSize(c->width, c->height));
        if (!shown.contains(place)) continue;
        auto* label = new QLabel(c->caption, client);
        rt::applyFont(label, c->props);
        label->setGeometry(place);
    }
    QFile ini(QDir::current().filePath(u"配置.ini"_s));
    if (ini.open(QIODevice::ReadOnly))
        w.content()->addWidget(new QLabel(rt::fromGbk(ini.readAll()).section(u'\n', 0, 0)));
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QLockFile lock(QDir(runtime).filePath(u"zorvik-content-floor.lock"_s));
    lock.setStaleLockTime(0);
    lock.tryLock(0);
    QLocalServer server;
    QLocalServer::removeServer(u"zorvik-content-floor"_s);
    server.listen(u"zorvik-content-floor"_s);
    rt::FirstPaintProbe probe([&w](const QObject* o) { return o == &w; }, nullptr);
    w.show();
    return app.exec();
}
