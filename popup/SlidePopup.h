#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "Bitmap.h"
#include "Component.h"
#include "Controls.h"
#include "Graphics.h"
#include "PopupStack.h"

enum class TOrientation { mbHorizontal, mbVertical };
enum class TSlideImageDrawMethod { dmActualSize, dmTile, dmFit };
enum class TDefaultMonitor { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };

enum TSlidePopupOption : uint8_t {
    spAutoOpenURL = 1,
    spSystemFont = 2, // kept for stored settings; it changes nothing
    spCascadePopups = 4,
    spAllowScroll = 8,
    spAllowHyperlink = 16,
    spCloseOnClick = 32,
};
using TSlidePopupOptions = uint8_t;

class TfrmSlidePopup;

// The notification popup: holds what a popup shows and opens one self-running popup
// window per ShowNotification, counting and optionally stacking the open ones.
class TSlidePopup : public TComponent {
public:
    explicit TSlidePopup(TComponent* owner);

    std::string Text = "text";
    std::string URL = "http://www.example.com/";
    TBitmap& IconBitmap() { return iconBitmap_; }
    void SetIconBitmap(const TBitmap& bitmap) { iconBitmap_.Assign(bitmap); }
    int IconLeft = 8;
    int IconTop = 8;
    int TimeOut = 10; // seconds at full size; 0 keeps the popup until it is clicked
    int Width = 148;
    int Height = 121;
    TColor GradientColor1 = 0xFFCC99;
    TColor GradientColor2 = 0xFFFFFF;
    TOrientation GradientOrientation = TOrientation::mbVertical;
    uint8_t ScrollSpeed() const { return scrollSpeed_; }
    void SetScrollSpeed(int pixelsPerStep);
    TFont& Font() { return font_; }
    void SetFont(const TFont& font) { font_.Assign(font); }
    TFont& HoverFont() { return hoverFont_; }
    void SetHoverFont(const TFont& font) { hoverFont_.Assign(font); }
    std::string Title = "title";
    TFont& TitleFont() { return titleFont_; }
    void SetTitleFont(const TFont& font) { titleFont_.Assign(font); }
    TSlidePopupOptions Options = spAutoOpenURL | spCascadePopups | spAllowScroll | spAllowHyperlink | spCloseOnClick;
    TAlignment TextAlignment = TAlignment::taLeftJustify;
    TSlideImageDrawMethod BackgroundDrawMethod = TSlideImageDrawMethod::dmActualSize;
    int16_t TextCursor = 0;
    int PopupMarge = 2;
    int PopupStartX = 16;
    int PopupStartY = 2;
    TDefaultMonitor DefaultMonitor = TDefaultMonitor::dmDesktop;
    TBitmap& BackgroundImage() { return backgroundImage_; }
    void SetBackgroundImage(const TBitmap& bitmap) { backgroundImage_.Assign(bitmap); }
    bool DesignPreview = false; // there is no designer: only stored

    // Sender: the popup window, or this component for clicks that do not close at once.
    std::function<void(TComponent& sender)> OnClick;
    std::function<void(TComponent& sender, const std::string& url)> OnURLClick;

    // Opens one popup with the current settings; false when the stack has no room left.
    bool ShowNotification();

    int OpenCount() const { return stack_.OpenCount; }
    int StackOffset() const { return stack_.StackOffset; }
    int KnownEdge() const { return stack_.KnownEdge; }

private:
    friend class TfrmSlidePopup;

    uint8_t scrollSpeed_ = 9;
    TFont font_;
    TFont hoverFont_;
    TFont titleFont_;
    TBitmap iconBitmap_;
    TBitmap backgroundImage_;
    PopupStack stack_;
};

// The taskbar's edge from the shell, or EdgeUnknown when the shell does not say.
int QueryTaskbarEdge();
// The desktop's work area.
PopupRect DesktopWorkArea();
// The DPI of the monitor that holds the work area, where popups appear.
int PopupDpi(const PopupRect& work);
