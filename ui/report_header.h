#pragma once

#include <QHeaderView>

// The header of a CReportCtrl. It tells the list when the user starts dragging a divider, double-clicks one
// or drops a dragged column, and draws header images right of the heading when asked to. Columns hidden by
// zero width at the front cannot be hit by the mouse, so no drop ever lands in front of them.
class CReportHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit CReportHeader(QWidget* parent);

    // The column whose divider lies under x (viewport coordinates), or -1; as the header itself finds it.
    int DividerAt(int x) const;

signals:
    void BeginTrack(int column);
    void DividerDoubleClicked(int column);
    void EndDrag();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int m_nPressX = -1;  // where a press on a section (not on a divider) began; -1 otherwise
};
