#pragma once

#include <QSizeGrip>

// The resizable dialog's grip: a square of the scroll-bar extent of which only the triangle below the
// diagonal from bottom-left to top-right belongs to the grip, so what lies above it stays reachable.
// Dragging it resizes the dialog; it never takes the focus.
class CSizeGripExt : public QSizeGrip {
    Q_OBJECT

public:
    // Created hidden at the parent's top-left.
    explicit CSizeGripExt(QWidget* parent);

    // Puts the grip's bottom-right corner on the parent's bottom-right corner, under its siblings.
    void PlaceInCorner(bool bVisible);

protected:
    void changeEvent(QEvent* event) override;

private:
    QSize GripSize() const;
    void ApplyTriangle();
};
