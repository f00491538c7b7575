// The help window has no logic of its own: a description and its text.

#include "ui/help_window.h"

#include <QDir>
#include <QStringList>

#include "runtime/settings_folder.h"

using namespace Qt::StringLiterals;

namespace zorvik {

QString helpText() {
    // Lines 17 and 18 line up under the first sub-item of line 16: 19
    // columns of a face whose Chinese characters are two spaces wide, which
    // the box spreads to the width of those columns in its own face.
    const QString indent(19, u' ');
    const QStringList lines = {
        u"使用场景："_s,
        u"1、使用场景一：早上3小时里，1小时学英语1小时学数学1小时学语文，每学完1小时需要提醒我开始下一个项目。"_s,
        u"2、对场景一：可在“输入时长”输入3小时，在展开的设置中→→找到间隔提醒→→输入60分组提醒一次。注：“启用自定义提醒”需要关闭！"_s,
        u"3、使用场景二：早上3小时里，30分钟学英语、10分钟休息、20分钟学数学、2小时学语文，每完成上述的一项任务就提醒一次。"_s,
        u"4、对场景二：可在“输入时长”输入总时长3小时，展开设置→→展开自定义提醒中的“配置”，并编辑下方的列表→→程序会自上到下依次执行→→所以“30分钟学英语”应填在最上方，“2小时学语文”填在最下方。"_s,
        QString(),
        u"操作："_s,
        u"1、菜单栏--程序--结束音：若勾选，会在总倒计时结束后，发出提示音。"_s,
        u"2、输入时长：填入你总倒计时长。"_s,
        u"3、重置：会结束正在的计时，并把数据归零。"_s,
        u"4、窗口置顶：勾选后，不会被其他窗口遮挡。"_s,
        u"5、模式选择：倒计时是10→0这样显示，正计时是0→10。"_s,
        u"6、提醒类型：语音提示、弹窗提示等等，请见程序内部。"_s,
        u"7、间隔提醒：是规律性的提醒，例如在总倒计时里，每5分钟提醒一次。"_s,
        u"8、自定义提醒：勾选“启用自定义提醒”，则放弃间隔提醒，选用自定义提醒。"_s,
        u"9、自定义提醒配置：①间隔时间需要输入分钟数，提醒内容就是到时候提示框展现的内容。"_s,
        indent + u"②插入一行，会在选中的行，的下方插入"_s,
        indent + u"③删除一行，会删除选中的行"_s,
        u"10、热键：程序--热键，就是快捷键操作。"_s,
        u"11、CMD命令：自定义提醒内容执行完，就执行表格中的CMD命令。注：需打勾启用CMD；倒计时结束，未执行的CMD将继续执行。"_s,
        u"12、菜单--配置文件--导入功能，点击导入，选择你存放你的配置文件的文件夹，程序读取内部文件并更新程序配置。注：你配置文件名必须为“配置.ini”“自定义提醒数据”。"_s,
    };
    QString text = lines.join(u"\r\n"_s);
    // An installed copy keeps its files away from the program: say where,
    // so that a backup or an import finds them.
    if (!rt::settingsArePortable())
        text += u"\r\n13、本机的配置文件夹："_s + QDir::toNativeSeparators(rt::settingsDirectory());
    return text;
}

rt::WindowDesc helpWindowDescription() {
    rt::WindowDesc d;
    d.name = u"帮助窗口"_s;
    d.caption = u"ZorvikV1.0——帮助"_s;
    d.left = 50;
    d.top = 50;
    d.width = 746;
    d.height = 457;
    d.centred = true;
    d.fixedBorder = true;
    d.minimizeButton = true;
    d.maximizeButton = false;
    d.controls = {
        {u"编辑框1"_s,
         rt::Kind::EditBox,
         {},
         16,
         16,
         704,
         392,
         helpText(),
         {{u"border"_s, u"single"_s},
          {u"fg"_s, u"#000000"_s},
          {u"bg"_s, u"#FFFFFF"_s},
          {u"multiLine"_s, true},
          {u"vScroll"_s, true},
          {u"input"_s, u"readonly"_s},
          {u"fontFace"_s, u"Microsoft YaHei UI"_s},
          {u"fontPx"_s, 14},
          {u"columnIndents"_s, true},
          {u"name"_s, u"帮助"_s}},
         {}},
    };
    return d;
}

}  // namespace zorvik
