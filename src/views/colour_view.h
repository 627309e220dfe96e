#pragma once

#include "document/tintor_doc.h"
#include "views/colour_list_view.h"
#include "views/colour_view_model.h"

#include <QScrollArea>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

namespace tintor {

class CBitmapStrip;
class CColorSwatchDelegate;

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

signals:
    // The table's selection or the history changed; the frame refreshes the
    // enabled state of its commands.
    void documentChanged();
    // A slider or the unify box moved: the pending effect changed.
    void effectChanged();

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
    // A change of the selection through the document, then the controls
    // and the swatches after it.
    void ChangeSelection(const std::function<void(CSelectionEdit&)>& change);
    void RedrawSwatches();
    // After the images' selection changed: a pending effect may have been
    // folded into the colours too.
    void OnBitmapSelectionChanged();
    // The notes under the list from the document.
    void UpdateNotes();

    CTintorDoc& m_doc;
    CColorListModel* m_model = nullptr;
    CColorSelectionModel* m_selection = nullptr;
    CColorSwatchDelegate* m_delegate = nullptr;
    QCheckBox* m_unifyCheck = nullptr;
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
};

} // namespace tintor
