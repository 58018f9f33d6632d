#include "ui/helpdialog.h"

#include "core/texts.h"
#include "ui/prompt.h"

#include <QScrollArea>
#include <QTextBrowser>

HelpDialog::HelpDialog(QWidget *window) : QDialog(window)
{
    m_scrollArea = new QScrollArea(this);
    m_text = new QTextBrowser(this);
    m_scrollArea->setWidget(m_text);
    // Without a frame the scroll area's viewport is exactly the text view's size, so no edge of
    // the text view (its scroll bar, its last line) is cut off.
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_text->setAccessibleName(Texts::kHelpTitle);
}

QString HelpDialog::helpText()
{
    return Texts::kHelpParagraphs.join(QStringLiteral("\n\n\n"));
}

void HelpDialog::resizeToWindow(const QSize &size)
{
    resize(size);
    m_scrollArea->resize(size);
    m_text->resize(size);
}

void HelpDialog::showHelp(const QSize &windowSize)
{
    // Plain text: the help mentions "<文档>", which must show as typed, never as markup. Setting
    // the text anew also brings the reader back to the top at every opening.
    m_text->setPlainText(helpText());
    setFixedSize(windowSize);
    m_scrollArea->setFixedSize(windowSize);
    m_text->setFixedSize(windowSize);
    setWindowTitle(Texts::kHelpTitle);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    exec();
    Prompt::centreOnDesktop(this);
}
