#ifndef TAVREL_TIMESPINBOX_H
#define TAVREL_TIMESPINBOX_H

#include <QAbstractSpinBox>

// A time field shown as "HH:mm" or "HH:mm:ss" whose hours can go past 23: an alarm's clock time
// and a timer's duration (up to 99:59:59) are the same field. It behaves like Qt's time edit:
// the arrows step the section under the cursor, and digits typed into a section move on to the
// next one by themselves once the section is full. Tab and Shift+Tab move between the sections,
// leaving the field only from the last or the first one.
class TimeSpinBox : public QAbstractSpinBox
{
    Q_OBJECT
    Q_PROPERTY(int seconds READ seconds WRITE setSeconds NOTIFY secondsChanged USER true)

public:
    explicit TimeSpinBox(QWidget *parent = nullptr);

    int seconds() const { return m_seconds; }
    void setSeconds(int seconds); // clamped to 0 .. maximumSeconds()

    bool showsSeconds() const { return m_showsSeconds; }
    void setShowsSeconds(bool shows);

    int maximumHours() const { return m_maximumHours; }
    void setMaximumHours(int hours); // the value is clamped to hours:59:59
    int maximumSeconds() const { return m_maximumHours * 3600 + 59 * 60 + 59; }

    // "07:30" or "01:30:00" for the given seconds, as the field shows them.
    static QString format(int seconds, bool withSeconds);
    // The reverse, for "H:m" or "H:m:s" with each part in range; -1 when it does not parse.
    static int parse(const QString &text, bool withSeconds, int maximumHours);

    void stepBy(int steps) override;

signals:
    void secondsChanged(int seconds);

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString &input, int &pos) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    enum Section
    {
        Hours,
        Minutes,
        Seconds
    };
    int sectionCount() const { return m_showsSeconds ? 3 : 2; }
    Section currentSection() const;
    int sectionValue(Section section) const;
    int sectionMaximum(Section section) const;
    void setSectionValue(Section section, int value);
    void selectSection(Section section);
    void typeDigit(int digit);
    void textEdited(const QString &text);
    void showValue();

    int m_seconds = 0;
    int m_maximumHours = 23;
    bool m_showsSeconds = false;
    QString m_typed; // digits typed into the current section so far
    Section m_typedSection = Hours;
    bool m_movedOn = false; // a full section just handed the cursor on; a Tab now only confirms it
};

#endif // TAVREL_TIMESPINBOX_H
