#pragma once

#include <QString>
#include <QWidget>

class QCPLayoutGrid;
class QCPTextElement;
class QCustomPlot;

// A QWidget hosting one QCustomPlot: header lines 1-2 above the plot ("Times" 10), footer
// lines 1-2 below it. The lines are laid out inside the chart itself, so that whatever
// renders the chart (the screen, a printer, an image) shows them too.
class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent = nullptr);
    ~ChartView() override;

    void setHeader(const QString& line1, const QString& line2);
    void setFooter(const QString& line1, const QString& line2);
    QString headerLine(int line) const; // 1 or 2
    QString footerLine(int line) const; // 1 or 2
    QCustomPlot* chart() const;         // for tests and the benchmark

protected:
    // The row between header and footer: the axis rect in column 0, room for a legend beside.
    QCPLayoutGrid* plotRow() const;

private:
    QCustomPlot* chart_;
    QCPLayoutGrid* plotRow_;
    QCPTextElement* header_;
    QCPTextElement* footer_;
    QString headerLines_[2];
    QString footerLines_[2];
};
