#include "ui/item_view_header.h"

#include <QStyle>
#include <QStyleOptionHeaderV2>

ItemViewHeader::ItemViewHeader(QHeaderView& replaced) : QHeaderView(replaced.orientation(), replaced.parentWidget()) {
    setSectionsMovable(replaced.sectionsMovable());
    setStretchLastSection(replaced.stretchLastSection());
    setDefaultAlignment(replaced.defaultAlignment());
}

// The toolkit measures a section in bold, ready for a highlighted section; ours never highlight,
// and the bold face alone costs a font load at start-up. Sections paint in the header's font.
QSize ItemViewHeader::sectionSizeFromContents(int logicalIndex) const {
    if (highlightSections()) return QHeaderView::sectionSizeFromContents(logicalIndex);
    ensurePolished();
    const QVariant sizeHint = model()->headerData(logicalIndex, orientation(), Qt::SizeHintRole);
    if (sizeHint.isValid()) return sizeHint.toSize();
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    option.section = logicalIndex;
    option.fontMetrics = fontMetrics();
    option.text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    if (isSortIndicatorShown()) option.sortIndicator = QStyleOptionHeader::SortDown;
    return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
}
