// A growable byte buffer with a read/write position; holds a part's decoded content.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

namespace pictolumen {

class TMemoryStream {
 public:
  // Writes `bytes` at the position, overwriting or growing the buffer; the position moves past
  // them.
  void Write(std::string_view bytes) {
    if (position_ + bytes.size() > data_.size()) data_.resize(position_ + bytes.size());
    std::copy(bytes.begin(), bytes.end(), data_.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ += bytes.size();
  }

  // Replaces the buffer by `bytes`, taken over without a copy; the position moves to the end.
  void Assign(std::string bytes) {
    data_ = std::move(bytes);
    position_ = data_.size();
  }

  // Up to `count` bytes from the position; the position moves past them.
  std::string Read(std::size_t count) {
    const std::size_t n = std::min(count, data_.size() - std::min(position_, data_.size()));
    std::string bytes = data_.substr(std::min(position_, data_.size()), n);
    position_ += n;
    return bytes;
  }

  // Empties the buffer; the position goes back to 0.
  void Clear() {
    data_.clear();
    position_ = 0;
  }

  // The whole content, taken over without a copy; the stream is left empty, its position 0.
  std::string Take() {
    position_ = 0;
    return std::exchange(data_, std::string());
  }

  // Empties the buffer and gives its storage back, which Clear (and assigning an empty stream)
  // keeps for the next content.
  void Release() {
    std::string().swap(data_);
    position_ = 0;
  }

  std::size_t Size() const { return data_.size(); }
  std::size_t Position() const { return position_; }
  // Moves the position to `position`, at most to the end.
  void Seek(std::size_t position) { position_ = std::min(position, data_.size()); }

  // The whole content, whatever the position.
  const std::string& Bytes() const { return data_; }

 private:
  std::string data_;
  std::size_t position_ = 0;
};

}  // namespace pictolumen
