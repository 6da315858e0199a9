#pragma once
// cImageList: pictures of one size under text keys, as the list view's image lists hold them.
// The size is in logical pixels; each picture is stored at the list's device pixels (the size
// times the device pixel ratio it was set to) and carries that ratio, so a view of the logical
// size shows it sharp on a scaled screen. A picture of another size is scaled, keeping its aspect
// ratio, and centred on a transparent square. Keys are unique; a missing key raises the
// element-not-found error (35601), a repeated one the key-not-unique error (35602).
//
// A picture may be added as the means to draw it: it is drawn when it is first asked for (a
// view asks only for the items it paints), and kept. A drawing that gives no image leaves the
// key with a null picture.

#include <QPixmap>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

class QImage;

class cImageList {
public:
    static constexpr std::int32_t kKeyNotUnique = 35602;
    // Draws a picture when it is first asked for; a null image for none.
    using tDraw = std::function<QImage()>;

    explicit cImageList(int size) : size_(size) {}

    int ImageSize() const noexcept { return size_; }
    // The ratio of device pixels to logical ones the pictures are made for (1 unless set).
    double DevicePixelRatio() const noexcept { return ratio_; }
    // The side of a stored picture in device pixels.
    int DevicePixels() const;
    // Empties the list and sets the ratio of the pictures added from now on.
    void SetDevicePixelRatio(double ratio);

    int Count() const noexcept { return static_cast<int>(pictures_.size()); }
    // How many pictures have been drawn (added as images, or drawn when first asked for).
    int DrawnCount() const noexcept { return drawn_; }
    bool Contains(const std::string& key) const { return pictures_.count(key) != 0; }

    void Add(const std::string& key, const QImage& picture);
    void Add(const std::string& key, tDraw draw);
    // The picture under `key`, drawn now when it was added as a drawing and not yet asked for.
    const QPixmap& Item(const std::string& key) const;
    void Clear() {
        pictures_.clear();
        drawn_ = 0;
    }

private:
    struct cEntry {
        QPixmap picture;
        tDraw draw; // empty once drawn
    };
    QPixmap Square(const QImage& picture) const;
    cEntry& NewEntry(const std::string& key);

    int size_;
    double ratio_ = 1.0;
    mutable std::map<std::string, cEntry> pictures_;
    mutable int drawn_ = 0;
};
