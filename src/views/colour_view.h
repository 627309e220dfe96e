#pragma once

#include "colour/list_arrangement.h"
#include "document/tintor_doc.h"
#include "views/colour_list_view.h"
#include "views/colour_view_model.h"

#include <QScrollArea>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;

namespace tintor {

class CBitmapStrip;
class CColorSwatchDelegate;
class CListArranger;

// The left pane: every colour of the document's table as a swatch in a
// multi-column list, the hue, saturation and value sliders, the unify box
// and Apply. The list's selection is the table's selection; the sliders only
// set the pending effect, which Apply writes into the movie.
class CColorView final : public QScrollArea, public IColorViewPort {
    Q_OBJECT
public:
    static constexpr int kSliderMin = 0;
    static constexpr int kSliderMax = 200;
    static constexpr int kSliderPage = 25;

    explicit CColorView(CTintorDoc& doc, QWidget* parent = nullptr);
    ~CColorView() override;

    // Controls and list from the document's table (start-up and every open).
    void OnInitialUpdate();

    // IColorViewPort
    void SyncControls(const CColorTable& table) override;
    void FillList(const CColorTable& table) override;

    void OnEditSelectAll();
    // Colours and images alike.
    void OnEditDeselect();
    // Every image that can be recoloured; the colours' selection stays.
    void OnEditSelectBitmaps();
    void OnApply();
    // Adds the listed colour nearest to rgb (the document's NearestColor) to
    // the selection.
    void SelectNearest(std::uint32_t rgb);
    // The colour of the last pick (red in the low byte), if any.
    std::optional<std::uint32_t> PickedColour() const { return m_picked; }
    // What the last pick found: a listed colour the pixel shows as it is,
    // one it is only near (a blend: translucency, an edge, a filter), or
    // nothing listed near it.
    enum class PickFound { Exact, Uncertain, NotNear };
    PickFound PickResult() const { return m_pickFound; }
    // The listed colour nearest to the last pick, as the list shows it.
    std::optional<std::uint32_t> PickedListColour() const { return m_pickedListColour; }

    // --- Finding colours ----------------------------------------------------
    // The list shows the colours the search text asks for (ParseListFilter),
    // in the order chosen, one family per line when grouped.
    void SetSearchText(const QString& text);
    void SetSort(ListSort sort);
    ListSort Sort() const { return m_sort; }
    void SetGrouped(bool grouped);
    bool Grouped() const { return m_grouped; }
    QLineEdit* SearchBox() const { return m_search; }
    QComboBox* SortBox() const { return m_sortBox; }
    // What arranges the list: aside from the window's thread for a large
    // one, so the rows may come a moment after the search, sort or grouping
    // changed.
    CListArranger* Arranger() const { return m_arranger; }
    // The swatch context menu's items for finding where a colour is.
    void AddFindingActions(QMenu& menu, int row);
    // The whole context menu of a row.
    void BuildContextMenu(QMenu& menu, int row);
    // Every name a kind goes by in either language, for the search.
    static std::vector<std::string> KindNamesOf(ColorKind kind);

    // The widgets, for the frame's focus handling and for tests.
    QAbstractItemView* List() const { return m_colorList; }
    CBitmapStrip* BitmapStrip() const { return m_bitmapStrip; }
    QSlider* HueSlider() const { return m_hSlider; }
    QSlider* SaturationSlider() const { return m_sSlider; }
    QSlider* ValueSlider() const { return m_vSlider; }
    QLabel* HueLabel() const { return m_hLabel; }
    QLabel* SaturationLabel() const { return m_sLabel; }
    QLabel* ValueLabel() const { return m_vLabel; }
    QCheckBox* UnifyCheck() const { return m_unifyCheck; }
    QCheckBox* PerceptualCheck() const { return m_perceptualCheck; }
    QPushButton* ApplyButton() const { return m_applyButton; }
    // The list's keys in display order.
    std::uint32_t KeyAt(int row) const;
    int Count() const;
    // The notes under the list: what the movie shows whose colours stay
    // as they are, and the tints that kept their colour at the last Apply.
    QLabel* AccountLabel() const { return m_accountLabel; }
    QLabel* KeptLabel() const { return m_keptLabel; }
    // Whether the row's colour is selected (in the table, which holds the
    // list's selection).
    bool IsRowSelected(int row) const;
    // What the swatch of a row is: its kind, "#rrggbb", what the pending
    // shift makes of it, its colour in the movie when an edit changed it,
    // and how many places of the movie use it.
    QString SwatchToolTip(int row) const;

    // --- Selection tools (colour_view_tools.cpp) ---------------------------
    // The swatch menu's selection items for the swatch at row: similar
    // colours with their tolerance, and locking the colour.
    void AddSelectionActions(QMenu& menu, int row);
    // Adds every colour within the tolerance of the row's colour, as the
    // list shows it, to the selection; locked colours are passed by.
    void SelectSimilarTo(int row);
    // Alt+Shift+click: the colour picked (as SelectNearest takes it) and the
    // colours similar to it.
    void SelectSimilarToPick(std::uint32_t rgb);
    // Adds every colour of no grey with its hue in range.
    void SelectHues(const HueRange& range);
    void SetLocked(int row, bool locked);
    bool IsRowLocked(int row) const;
    // The ΔE within which colours count as similar, kept in the settings.
    static int SimilarTolerance();
    static void SetSimilarTolerance(int within);
    static constexpr int kMaxTolerance = 100;
    // How the preview shows the movie, so that a pixel picked from it is
    // matched as seen.
    void SetSimulation(VisionSimulation seen) { m_seen = seen; }

signals:
    // The table's selection or the history changed; the frame refreshes the
    // enabled state of its commands.
    void documentChanged();
    // A slider or the unify box moved: the pending effect changed.
    void effectChanged();
    // Show in preview was chosen for the entry at a dense index of the table.
    void showInPreview(std::uint32_t index);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* BuildForm();
    void RetranslateUi();
    QWidget* BuildSliders();
    QSlider* MakeSlider(const char* name, QLabel*& label);
    void SetupSlider(QSlider& slider, QLabel& label, const char* name, int value);
    // The slider whose label's mnemonic the key is, if any.
    QSlider* MnemonicTarget(const QKeyEvent& key) const;
    void OnHScroll(QSlider& slider);
    void OnUnify(bool checked);
    void OnPerceptual(bool checked);
    // A change of the selection through the document, then the controls
    // and the swatches after it.
    void ChangeSelection(const std::function<void(CSelectionEdit&)>& change);
    void RedrawSwatches();
    // After the images' selection changed: a pending effect may have been
    // folded into the colours too.
    void OnBitmapSelectionChanged();
    // The swatches, the controls and the frame after the selection changed.
    void AfterSelectionChange();
    // The notes under the list from the document.
    void UpdateNotes();
    QWidget* BuildFinder(QWidget* parent);
    // The list's rows again from the table's list order, the search, the
    // sort and the grouping.
    void Rearrange();
    // Shows rows the arranger made.
    void ShowArrangement(ListArrangement arrangement, const ListRequest& request);
    void OnContextMenu(QPoint point);
    void OnGroupClicked(int first, int last, Qt::KeyboardModifiers modifiers);

    CTintorDoc& m_doc;
    CColorListModel* m_model = nullptr;
    CColorSelectionModel* m_selection = nullptr;
    CColorSwatchDelegate* m_delegate = nullptr;
    QCheckBox* m_unifyCheck = nullptr;
    QCheckBox* m_perceptualCheck = nullptr;
    QLabel* m_vLabel = nullptr;
    QSlider* m_vSlider = nullptr;
    QLabel* m_sLabel = nullptr;
    QSlider* m_sSlider = nullptr;
    QLabel* m_hLabel = nullptr;
    QSlider* m_hSlider = nullptr;
    QLabel* m_hCaption = nullptr;
    QLabel* m_sCaption = nullptr;
    QLabel* m_vCaption = nullptr;
    CColorListView* m_colorList = nullptr;
    CBitmapStrip* m_bitmapStrip = nullptr;
    QPushButton* m_applyButton = nullptr;
    QLabel* m_accountLabel = nullptr;
    QLabel* m_keptLabel = nullptr;
    std::optional<std::uint32_t> m_picked;
    VisionSimulation m_seen = VisionSimulation::Normal;
    PickFound m_pickFound = PickFound::Exact;
    std::optional<std::uint32_t> m_pickedListColour;
    QLineEdit* m_search = nullptr;
    QComboBox* m_sortBox = nullptr;
    // The table's entries in list order, as the table lists them, before
    // search and sort; and the places of each entry, counted at the first
    // sort by places. Both hold for the keys they were made from.
    std::shared_ptr<const std::vector<std::uint32_t>> m_listOrder;
    std::shared_ptr<const std::vector<std::uint32_t>> m_placeCounts;
    std::shared_ptr<const std::vector<std::uint32_t>> m_listOrderKeys;
    CListArranger* m_arranger = nullptr;
    ListSort m_sort = ListSort::ListOrder;
    bool m_grouped = false;
};

} // namespace tintor
