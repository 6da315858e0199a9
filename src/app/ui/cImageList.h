#pragma once
// cImageList: pictures of one size under text keys, as the list view's image lists hold them.
// Every picture is stored at the list's size (a picture of another size is scaled, keeping its
// aspect ratio, and centred on a transparent square). Keys are unique; a missing key raises the
// element-not-found error (35601), a repeated one the key-not-unique error (35602).

#include <QPixmap>

#include <map>
#include <string>

class QImage;

class cImageList {
public:
    static constexpr std::int32_t kKeyNotUnique = 35602;

    explicit cImageList(int size) : size_(size) {}

    int ImageSize() const noexcept { return size_; }
    int Count() const noexcept { return static_cast<int>(pictures_.size()); }
    bool Contains(const std::string& key) const { return pictures_.count(key) != 0; }

    void Add(const std::string& key, const QImage& picture);
    const QPixmap& Item(const std::string& key) const;
    void Clear() { pictures_.clear(); }

private:
    int size_;
    std::map<std::string, QPixmap> pictures_;
};
