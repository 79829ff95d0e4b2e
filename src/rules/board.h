#pragma once
#include <cstdint>
#include <stdexcept>
#include <vector>

struct Cell {
    int32_t kind;
    bool slidingLeft;
    bool slidingRight;
    int32_t slideProgress;
    bool empty;
    bool falling;
    int32_t fallProgress;
    bool busy;
};

struct CellPos {
    int32_t column;
    int32_t row;
};

// A growable list whose indexed reads are checked against its length.
template <typename T>
class CheckedList {
public:
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    void clear() { items_.clear(); }
    void push_back(const T& item) { items_.push_back(item); }
    void erase(size_t index) { items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(checked(index))); }
    T& operator[](size_t index) { return items_[checked(index)]; }
    const T& operator[](size_t index) const { return items_[checked(index)]; }
    typename std::vector<T>::const_iterator begin() const { return items_.begin(); }
    typename std::vector<T>::const_iterator end() const { return items_.end(); }

private:
    size_t checked(size_t index) const {
        if (index >= items_.size()) throw std::out_of_range("vector [] access out of range");
        return index;
    }
    std::vector<T> items_;
};

using PosList = CheckedList<CellPos>;

struct Particle {
    float x;
    float y;
    float alpha;
    float size;
    int32_t textureSlot;
};

// The distance between neighbouring cells in the scene.
constexpr float kCellPitch = 0.21f;

constexpr int kBoardStorageColumns = 20;
constexpr int kBoardStorageRows = 40;

struct Board {
    Cell cells[kBoardStorageColumns][kBoardStorageRows];  // [column][row]
    float flash;
    CheckedList<Particle> particles;
};
