#ifndef TAVREL_HELPDIALOG_H
#define TAVREL_HELPDIALOG_H

#include <QDialog>

class QScrollArea;
class QTextBrowser;

// "帮助": the help text in a modal dialog that takes the main window's size at each opening.
// The window makes it once (resizeToWindow at start) and calls showHelp() for every press.
class HelpDialog : public QDialog
{
    Q_OBJECT

public:
    explicit HelpDialog(QWidget *window);

    // The plain help text: paragraphs kept apart by two empty lines.
    static QString helpText();

    // The start-up sizing: the dialog, its scroll area and text view take `size`.
    void resizeToWindow(const QSize &size);

    // Fills the text anew (reading starts at the top), fixes the size to `windowSize`, runs
    // modally, and afterwards centres the dialog on the desktop for the next opening.
    void showHelp(const QSize &windowSize);

private:
    QScrollArea *m_scrollArea = nullptr;
    QTextBrowser *m_text = nullptr;
};

#endif // TAVREL_HELPDIALOG_H
