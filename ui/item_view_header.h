#pragma once
// The column header of the item views.
#include <QHeaderView>

class ItemViewHeader : public QHeaderView {
public:
    explicit ItemViewHeader(QHeaderView& replaced);

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override;
};
