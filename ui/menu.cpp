// The main window's menu bar and the colours and font it is drawn with.

#include "runtime/runtime.h"
#include "ui/window_descriptions.h"

using namespace Qt::StringLiterals;

namespace zorvik {

std::vector<rt::MenuItemDesc> mainMenu() {
    using M = rt::MenuItemDesc;
    const int chosen = rt::ev::Chosen;
    return {
        M{0, u"程序"_s, false, false, {}},
        M{1, u"结束音"_s, true, false, {{chosen, u"onEndSoundChosen"_s}}},
        M{1, u"热键"_s, false, false, {{chosen, u"openHotkeyWindow"_s}}},
        M{1, u"配置文件"_s, false, true, {}},
        M{2, u"导入"_s, false, false, {{chosen, u"importSettings"_s}}},
        M{2, u"导出"_s, false, false, {{chosen, u"exportSettings"_s}}},
        M{1, u"计时记录"_s, false, false, {{chosen, u"openHistoryWindow"_s}}},
        M{0, u"帮助"_s, false, false, {}},
        M{1, u"关于"_s, false, false, {{chosen, u"openHelpWindow"_s}}},
    };
}

rt::MenuSkin mainMenuSkin() {
    rt::MenuSkin s;
    s.colours = {u"#E3EFFF"_s, u"#88AEE4"_s, u"#FFF4CC"_s, u"#FFD79D"_s, u"#F9F8F7"_s,
                 u"#FFEEC2"_s, u"#000000"_s, u"#000080"_s, u"#6A8CCB"_s, u"#8D8D8D"_s};
    s.background = u"#F0F0F0"_s;
    s.fontFace = u"Microsoft YaHei UI"_s;
    s.fontPx = 12;
    return s;
}

}  // namespace zorvik
