#include "app/mainwindow.h"

#include "widgets/prompt.h"

#include <QDialog>
#include <QScrollArea>
#include <QTextBrowser>

namespace {

// Paragraphs are kept apart by two empty lines so the items stand out in plain text.
const char *const kHelpParagraphs[] = {
    "欢迎使用 Tavrel V2.03 —— 桌面闹钟与计时器。\n"
    "Tavrel V2.03 现已发布。",

    "使用说明\n"
    "1. 所有闹钟、计时器和背景设置都保存在文档目录（<文档>）下的“Tavrel存储文件.txt”中；"
    "启动时找不到这个文件，程序会自动新建一个。不同版本的存储格式可能不同，如果程序运行不正常，"
    "请先退出程序，删除存储文件（所有设置会被清空），再重新启动。",

    "2. 点击“新建”可以新建闹钟或计时器。在弹出的窗口中选择类型，填写名称和时间：闹钟的时间是响铃的时刻，"
    "计时器的时间是启用后还要等多久才响铃。闹钟可以勾选每周重复的日子。响铃可以自定义：不去改动或在按钮上"
    "点右键就是默认响铃，也可以选择 mp3、wav、wma、aac、flac、ogg "
    "格式的声音文件；还可以选择响铃是否反复播放。"
    "点击保存后，新的一项会被创建并立即启用。闹钟和计时器合计最多 20 个。",

    "3. 在列表中选中一项，再点击“编辑...”，会打开这一项的编辑窗口；修改后点击保存按钮即可生效。",

    "4. 在列表中选中一项，再点击“删除”，确认后这一项会被删除。",

    "5. 在列表中选中一项，再点击“启用/停用”，可以启用或停用它；每一项最右边的勾选框作用相同。",

    "6. 播放响铃时，点击“停止”可以停下音乐；设有每周重复日子的闹钟停下后仍然保持启用。",

    "7. 关闭程序不会保留闹钟和计时器的启用状态，下次启动时它们都是停用的。",

    "8. 程序的托盘图标在屏幕右下角：左键单击它显示主窗口；把鼠标停在图标上或右键单击它，"
    "可以看到距离下一次响铃还有多长时间。",

    "9. 设有每周重复日子的闹钟，如果响铃不反复播放，响铃播放完后仍然保持启用，到下一个重复的日子会再次响铃。",

    "10. 点击“设置背景”可以选择一张本地图片作为列表的背景（.bmp、.gif、.jpeg、.png、.tiff、.jpg）；"
    "设置后按钮变为“清除背景”，点击它即可去掉背景。",

    "更新记录\n"
    "V1.01\n"
    "1. 修复了一个已知问题。",

    "V1.02\n"
    "1. 名称中可以包含逗号。\n"
    "2. 声音文件的文件名中可以包含逗号。\n"
    "3. 编辑已有的一项时，编辑窗口的标题会标明是在编辑。\n"
    "4. 部分窗口改为稍后创建，减少读取存储文件的次数。\n"
    "5. 新增背景图片。\n"
    "6. 调整了列表中各项的显示。\n"
    "7. 修复了若干小问题。",

    "V1.03\n"
    "1. 启动时自动升级旧版本的存储文件。\n"
    "2. 修复了计时器时间显示不正确的问题。\n"
    "3. 修复了删除后列表显示错位的问题。\n"
    "4. 修复了编辑后响铃设置没有更新的问题。\n"
    "5. 修复了其他小问题。",

    "V1.04\n"
    "1. 修复了一处会导致程序崩溃的问题。",

    "V1.05\n"
    "1. 修复了另一处会导致程序崩溃的问题。",

    "V2.00\n"
    "1. 重新整理了程序代码。\n"
    "2. 响铃开始时可以运行一个指定的文件。\n"
    "3. 支持 .desktop 启动器文件。\n"
    "4. 响铃时显示系统通知。\n"
    "5. 新增“停止”功能。",

    "V2.01\n"
    "1. 支持运行 .sh 脚本文件。例如脚本中写 echo '你的密码' | sudo -S 命令，可以把密码交给 sudo "
    "执行需要管理员权限的命令（密码会以明文保存在脚本里，请注意安全）。\n"
    "2. 托盘菜单新增“退出程序”。\n"
    "3. 帮助窗口加入滚动条，并固定了大小。",

    "V2.02\n"
    "1. 新增强制提醒：窗口最小化时响铃也会弹出提醒，可以在工具栏上切换。",

    "V2.03\n"
    "1. 修复了响铃有时无法停止的问题。\n"
    "2. 编辑窗口中的“重复闹铃”改名为“反复闹铃”：反复闹铃是指一次响铃时音乐反复播放，直到被停止；"
    "每周重复是指闹钟在选定的星期几再次响铃。\n"
    "3. 修复了其他问题。",
};

QString helpText()
{
    QStringList paragraphs;
    for (const char *paragraph : kHelpParagraphs)
        paragraphs << QString::fromUtf8(paragraph);
    return paragraphs.join(QStringLiteral("\n\n\n"));
}

} // namespace

void MainWindow::fillHelpText()
{
    // Plain text: the help mentions "<文档>", which must show as typed, never as markup. Setting
    // the text anew also brings the reader back to the top at every opening.
    qtb_BangZhu->setPlainText(helpText());
}

void MainWindow::BangZhu()
{
    fillHelpText();
    const QSize size(width(), height());
    qd_BangZhu->setFixedSize(size);
    qsa_BangZhu->setFixedSize(size);
    qtb_BangZhu->setFixedSize(size);
    qd_BangZhu->setWindowTitle(QStringLiteral("Tavrel"));
    qtb_BangZhu->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    qsa_BangZhu->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Without a frame the scroll area's viewport is exactly the text view's size, so no edge of
    // the text view (its scroll bar, its last line) is cut off.
    qsa_BangZhu->setFrameShape(QFrame::NoFrame);
    qd_BangZhu->exec();
    Prompt::centreOnDesktop(qd_BangZhu);
}
