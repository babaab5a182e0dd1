#include "ui/lists/skin_list_ctrl.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "ui/lists/skin_art.h"

namespace lyrovox {

namespace {

constexpr int kListFontCellHeight = 15;
constexpr int kTextInset = 3;
constexpr int kEmptyTextMargin = 24;

}  // namespace

CSkinListCtrl::CSkinListCtrl(bool multiSelect, QWidget* parent) : QTableView(parent) {
  setModel(&model_);
  setItemDelegate(new SkinRowDelegate(*this));
  setFont(FontForCellHeight(QStringLiteral("Arial"), kListFontCellHeight, QFont::Normal));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection
                               : QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setShowGrid(false);
  setWordWrap(false);
  setFrameShape(QFrame::NoFrame);
  setTabKeyNavigation(false);
  setAcceptDrops(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
  horizontalHeader()->hide();
  horizontalHeader()->setStretchLastSection(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionResizeMode(kColumnTitle, QHeaderView::Stretch);
  setColumnHidden(kColumnNumber, true);
  setColumnHidden(kColumnPath, true);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(kRowHeight);

  // The list's own text colour (the owners set white) and the empty area's colour.
  QPalette palette = this->palette();
  palette.setColor(QPalette::Base, kOddBackground);
  palette.setColor(QPalette::Window, kOddBackground);
  palette.setColor(QPalette::Text, Qt::white);
  setPalette(palette);
  viewport()->setAutoFillBackground(true);

  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) emit RowDoubleClicked(index.row());
  });
}

void CSkinListCtrl::InsertSong(const QString& title, const QString& path, int position) {
  model_.Insert(position, SongRow{title, path});
}

void CSkinListCtrl::SetEmptyText(const QString& text) {
  emptyText_ = text;
  viewport()->update();
}

void CSkinListCtrl::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  if (model_.count() > 0 || emptyText_.isEmpty()) return;
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::Text));
  painter.setFont(font());
  const QRect box = viewport()->rect().adjusted(kEmptyTextMargin, kEmptyTextMargin,
                                                -kEmptyTextMargin, -kEmptyTextMargin);
  painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
}

void CSkinListCtrl::SetMarkedRow(int row) {
  if (row == markedRow_) return;
  markedRow_ = row;
  viewport()->update();
}

std::vector<int> CSkinListCtrl::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows(kColumnTitle))
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int CSkinListCtrl::FirstSelectedRow() const {
  const std::vector<int> rows = SelectedRows();
  return rows.empty() ? -1 : rows.front();
}

void SkinRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  const int row = index.row();
  const bool selected = option.state.testFlag(QStyle::State_Selected);
  QColor background = selected       ? CSkinListCtrl::kSelectedBackground
                      : row % 2 == 0 ? CSkinListCtrl::kEvenBackground
                                     : CSkinListCtrl::kOddBackground;
  QColor text = selected ? CSkinListCtrl::kSelectedText : list_.palette().color(QPalette::Text);
  if (row == list_.markedRow()) text = CSkinListCtrl::kMarkedText;
  painter->fillRect(option.rect, background);
  const QString title = index.data(Qt::DisplayRole).toString();
  if (title.isEmpty()) return;
  QRect textRect = option.rect.adjusted(kTextInset, 0, -kTextInset, 0);
  painter->setFont(option.font);
  // A reserved song's singer at the row's right end, the title in what is left.
  const QString singer = index.data(kSingerRole).toString();
  if (!singer.isEmpty()) {
    // Kept clear of the list's right border.
    textRect.setRight(textRect.right() - kTextInset);
    const QString shown =
        option.fontMetrics.elidedText(singer, Qt::ElideRight, textRect.width() * 2 / 5);
    const int width = option.fontMetrics.horizontalAdvance(shown);
    painter->setPen(selected ? text : CSkinListCtrl::kSingerText);
    painter->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    textRect.setRight(textRect.right() - width - kTextInset * 2);
  }
  painter->setPen(text);
  painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    option.fontMetrics.elidedText(title, Qt::ElideRight, textRect.width()));
}

}  // namespace lyrovox
