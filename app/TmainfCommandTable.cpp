#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "CommandItem.h"
#include "Tmainf.h"

// The window's command table: which item of which bar runs which command.

namespace {

// Items that wait for an open contract file start disabled; EnableFileCommands enables them
// (and showWhereDataLives those that need a file or a server in particular).
constexpr bool kNeedsFile = false;
constexpr bool kReady = true;

CommandItem item(const char* name, const QString& caption, bool enabled, std::function<void()> run,
                 const QString& hint = {}) {
    return CommandItem{QString::fromLatin1(name), caption, hint, enabled, true, std::move(run)};
}

const std::function<void()> kNothing;

}  // namespace

// clang-format off
void Tmainf::buildMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("TBToolbar2"));
    setMenuBar(bar);

    struct Submenu {
        const char* name;
        QString caption;
        bool enabled;
        CommandTable items;
    };
    const std::vector<Submenu> submenus = {
        {"TBSubmenuItem5", QStringLiteral("文件(&F)"), kReady, {
            item("TBItem5", QStringLiteral("添加合同"), kNeedsFile, [this] { TBItem31Click(); }),
            item("TBItem4", QStringLiteral("添加子合同"), kNeedsFile, [this] { TBItem26Click(); }),
            item("TBItem3", QStringLiteral("删除合同"), kNeedsFile, [this] { TBItem30Click(); }),
            item("TBItem2", QStringLiteral("保存"), kNeedsFile, [this] { TBItem24Click(); }),
            item("exportRegisterItem", QStringLiteral("导出合同台账"), kNeedsFile, [this] { exportContractRegister(); }),
            CommandItem::separator(),
            item("connectToServerItem", QStringLiteral("连接服务器…"), kReady, [this] { connectToServerClick(); }),
            item("uploadToServerItem", QStringLiteral("上传到服务器…"), kNeedsFile, [this] { uploadToServerClick(); }),
            item("saveAsContractFileItem", QStringLiteral("另存为合同文件…"), kNeedsFile, [this] { saveAsContractFileClick(); }),
            CommandItem::separator(),
            item("TBItem1", QStringLiteral("退出"), kReady, [this] { TBItem18Click(); }),
        }},
        {"TBSubmenuItem4", QStringLiteral("操作(&O)"), kNeedsFile, {
            item("TBItem13", QStringLiteral("查询"), kReady, [this] { TBItem23Click(); }),
            item("TBItem12", QStringLiteral("模板编辑"), kReady, [this] { TBItem22Click(); }),
            item("TBItem11", QStringLiteral("选项设置"), kReady, [this] { TBItem21Click(); }),
            CommandItem::separator(),
            item("TBItem9", QStringLiteral("节点全部展开"), kReady, [this] { TBItem51Click(); }),
            item("TBItem8", QStringLiteral("节点全部合并"), kReady, [this] { TBItem50Click(); }),
            CommandItem::separator(),
            item("TBItem7", QStringLiteral("统计"), kReady, [this] { TBItem20Click(); }),
            item("TBItem6", QStringLiteral("打印"), kReady, [this] { TBItem19Click(); }),
        }},
        {"TBSubmenuItem3", QStringLiteral("辅助项目(&A)"), kNeedsFile, {
            item("TBItem14", QStringLiteral("供货单位信息"), kReady, [this] { TBItem14Click(); }),
            item("TBItem10", QStringLiteral("自定义模板替换变量"), kReady, kNothing),
        }},
        {"TBSubmenuItem2", QStringLiteral("帮助(&H)"), kReady, {
            item("TBItem16", QStringLiteral("帮助"), kReady, kNothing),
            item("TBItem15", QStringLiteral("关于"), kReady, [this] { TBItem15Click(); }),
        }},
    };
    for (const Submenu& submenu : submenus) {
        QMenu* menu = bar->addMenu(submenu.caption);
        menu->setObjectName(QString::fromLatin1(submenu.name));
        menu->menuAction()->setObjectName(QString::fromLatin1(submenu.name));
        menu->menuAction()->setEnabled(submenu.enabled);
        addCommandItems(menu, submenu.items, this, guard_);
    }
}

void Tmainf::buildMainToolbar() {
    auto* bar = new QToolBar(QStringLiteral("主工具栏"), this);
    bar->setObjectName(QStringLiteral("TBToolbar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    addToolBar(Qt::TopToolBarArea, bar);

    // Each item's hint is its caption.
    const auto hinted = [](const char* name, const QString& caption, bool enabled, std::function<void()> run) {
        return item(name, caption, enabled, std::move(run), caption);
    };
    addCommandItems(bar, {
        hinted("TBItem17", QStringLiteral("打开合同文件"), kReady, [this] { TBItem17Click(); }),
        hinted("TBItem25", QStringLiteral("新建合同文件"), kReady, [this] { TBItem25Click(); }),
        hinted("TBItem24", QStringLiteral("保存"), kNeedsFile, [this] { TBItem24Click(); }),
        CommandItem::separator(),
        hinted("TBItem23", QStringLiteral("查询"), kNeedsFile, [this] { TBItem23Click(); }),
        hinted("TBItem22", QStringLiteral("模板管理"), kReady, [this] { TBItem22Click(); }),
        hinted("TBItem21", QStringLiteral("设置信息"), kNeedsFile, [this] { TBItem21Click(); }),
        hinted("TBItem55", QStringLiteral("供货单位信息"), kNeedsFile, [this] { TBItem14Click(); }),
        hinted("TBItem20", QStringLiteral("统计"), kNeedsFile, [this] { TBItem20Click(); }),
        hinted("TBItem19", QStringLiteral("打印"), kNeedsFile, [this] { TBItem19Click(); }),
        CommandItem::separator(),
        hinted("TBItem18", QStringLiteral("关闭"), kReady, [this] { TBItem18Click(); }),
    }, this, guard_);
}

CommandTable Tmainf::treeToolbarItems() {
    CommandTable items = {
        item("TBItem31", QStringLiteral("新增"), kNeedsFile, [this] { TBItem31Click(); }, QStringLiteral("增加合同")),
        item("TBItem26", QStringLiteral("子合同"), kNeedsFile, [this] { TBItem26Click(); }, QStringLiteral("增加当前合同的子合同")),
        item("TBItem30", QStringLiteral("删除"), kNeedsFile, [this] { TBItem30Click(); }),
        CommandItem::separator(),
        item("TBItem27", QStringLiteral("设置为独立合同"), kNeedsFile, [this] { TBItem27Click(); }),
        CommandItem::separator(false),
        item("TBItem29", QStringLiteral("使用模板"), kNeedsFile, kNothing),
    };
    items.back().visible = false;
    return items;
}

// The popup menu's items are enabled from the start; those that write are disabled for a
// server role that may only read.
CommandTable Tmainf::treePopupItems() {
    return {
        item("TBItem32", QStringLiteral("新增"), kReady, [this] { TBItem31Click(); }),
        item("TBItem33", QStringLiteral("子合同"), kReady, [this] { TBItem26Click(); }),
        item("TBItem34", QStringLiteral("删除"), kReady, [this] { TBItem30Click(); }),
        CommandItem::separator(),
        item("TBItem28", QStringLiteral("设置为独立合同"), kReady, [this] { TBItem27Click(); }),
        CommandItem::separator(),
        item("TBItem51", QStringLiteral("合并展开"), kReady, [this] { TBItem51Click(); }),
        item("TBItem50", QStringLiteral("全部合并"), kReady, [this] { TBItem50Click(); }),
        CommandItem::separator(),
        item("TBItem37", QStringLiteral("使用模板"), kReady, kNothing),
    };
}
// clang-format on
