#include "ui/win32/win32_picture_decoder.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "ui/picture_stretch.h"
#include "ui/win32/win32_com.h"

namespace vantor {

namespace {

// CLSID_WICImagingFactory1, present on every Windows since Vista (the newer
// factory is missing on Windows 7 without its platform update).
constexpr CLSID imaging_factory_class = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};

// Limits that keep a hostile picture from taking the memory: the pixels of
// one composed GIF screen, and all stored frames together.
constexpr std::uint64_t most_canvas_pixels = std::uint64_t{1} << 24;
constexpr std::uint64_t most_frame_bytes = std::uint64_t{64} << 20;

template <typename interface_type>
class com_ptr {
 public:
  com_ptr() = default;
  com_ptr(const com_ptr&) = delete;
  com_ptr& operator=(const com_ptr&) = delete;
  ~com_ptr() { reset(); }
  void reset() {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = nullptr;
  }
  interface_type** put() {
    reset();
    return &pointer_;
  }
  interface_type* get() const { return pointer_; }
  interface_type* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  interface_type* pointer_ = nullptr;
};

// COM on this thread for as long as it lives; a thread that already has it
// keeps it as it was.
class com_apartment {
 public:
  com_apartment() : result_(com::start_on_thread(COINIT_APARTMENTTHREADED)) {}
  ~com_apartment() {
    if (SUCCEEDED(result_)) com::end_on_thread();
  }
  com_apartment(const com_apartment&) = delete;
  com_apartment& operator=(const com_apartment&) = delete;

 private:
  HRESULT result_;
};

struct raw_image {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;
};

// A frame's pixels in premultiplied BGRA. A picture much larger than the
// box it goes to (at most the limit given) is brought down near that size
// by the decoder first, so its full size is never held.
std::optional<raw_image> read_pixels(IWICImagingFactory& factory, IWICBitmapSource* source, UINT most_width,
                                     UINT most_height) {
  UINT width = 0;
  UINT height = 0;
  if (FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0) return std::nullopt;
  com_ptr<IWICBitmapScaler> scaler;
  if (most_width > 0 && most_height > 0 && (width > most_width || height > most_height)) {
    width = std::min(width, most_width);
    height = std::min(height, most_height);
    if (FAILED(factory.CreateBitmapScaler(scaler.put())) ||
        FAILED(scaler->Initialize(source, width, height, WICBitmapInterpolationModeFant))) {
      return std::nullopt;
    }
    source = scaler.get();
  }
  if (std::uint64_t{width} * height > most_canvas_pixels) return std::nullopt;
  com_ptr<IWICFormatConverter> converter;
  if (FAILED(factory.CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(source, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return std::nullopt;
  }
  raw_image image{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                  std::vector<std::uint32_t>(std::size_t{width} * height)};
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(image.pixels.data())))) {
    return std::nullopt;
  }
  return image;
}

std::optional<std::uint32_t> metadata_number(IWICMetadataQueryReader* reader, const wchar_t* name) {
  if (reader == nullptr) return std::nullopt;
  PROPVARIANT value;
  ::PropVariantInit(&value);
  std::optional<std::uint32_t> number;
  if (SUCCEEDED(reader->GetMetadataByName(name, &value))) {
    if (value.vt == VT_UI1) number = value.bVal;
    if (value.vt == VT_UI2) number = value.uiVal;
    if (value.vt == VT_UI4) number = value.ulVal;
  }
  com::clear_value(&value);
  return number;
}

// The frames of a GIF as they appear on its logical screen, each composed
// over what the ones before left there (their disposal: 2 clears the
// frame's area, 3 puts back what was under it).
std::vector<picture_frame> gif_frames(IWICImagingFactory& factory, IWICBitmapDecoder& decoder, std::int32_t width,
                                      std::int32_t height) {
  UINT count = 0;
  if (FAILED(decoder.GetFrameCount(&count)) || count == 0) return {};
  com_ptr<IWICMetadataQueryReader> screen_metadata;
  decoder.GetMetadataQueryReader(screen_metadata.put());
  std::uint32_t screen_width = metadata_number(screen_metadata.get(), L"/logscrdesc/Width").value_or(0);
  std::uint32_t screen_height = metadata_number(screen_metadata.get(), L"/logscrdesc/Height").value_or(0);

  std::vector<std::uint32_t> canvas;
  std::vector<std::uint32_t> saved;
  std::vector<picture_frame> frames;
  const std::uint64_t frame_bytes =
      std::uint64_t{4} * static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height);
  for (UINT index = 0; index < count; ++index) {
    com_ptr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder.GetFrame(index, frame.put()))) break;
    std::optional<raw_image> image = read_pixels(factory, frame.get(), 0, 0);
    if (!image) break;
    com_ptr<IWICMetadataQueryReader> metadata;
    frame->GetMetadataQueryReader(metadata.put());
    const std::uint32_t left = metadata_number(metadata.get(), L"/imgdesc/Left").value_or(0);
    const std::uint32_t top = metadata_number(metadata.get(), L"/imgdesc/Top").value_or(0);
    const std::uint32_t delay = metadata_number(metadata.get(), L"/grctlext/Delay").value_or(0);
    const std::uint32_t disposal = metadata_number(metadata.get(), L"/grctlext/Disposal").value_or(0);
    if (canvas.empty()) {
      // Without a logical screen the first frame sets its size.
      if (screen_width == 0 || screen_height == 0) {
        screen_width = static_cast<std::uint32_t>(image->width);
        screen_height = static_cast<std::uint32_t>(image->height);
      }
      if (std::uint64_t{screen_width} * screen_height > most_canvas_pixels) return {};
      canvas.assign(std::size_t{screen_width} * screen_height, 0);
    }
    if (disposal == 3) saved = canvas;

    const auto frame_width = static_cast<std::uint32_t>(image->width);
    const auto frame_height = static_cast<std::uint32_t>(image->height);
    const std::uint32_t right = std::min(screen_width, left + frame_width);
    const std::uint32_t bottom = std::min(screen_height, top + frame_height);
    for (std::uint32_t y = top; y < bottom; ++y) {
      for (std::uint32_t x = left; x < right; ++x) {
        const std::uint32_t source = image->pixels[std::size_t{y - top} * frame_width + (x - left)];
        const std::uint32_t alpha = source >> 24;
        if (alpha == 0) continue;
        std::uint32_t& target = canvas[std::size_t{y} * screen_width + x];
        if (alpha == 255) {
          target = source;
          continue;
        }
        // Premultiplied "over": each channel is the source's plus what shows through.
        std::uint32_t blended = 0;
        for (std::uint32_t shift = 0; shift < 32; shift += 8) {
          const std::uint32_t s = (source >> shift) & 0xFF;
          const std::uint32_t d = (target >> shift) & 0xFF;
          blended |= std::min<std::uint32_t>(255, s + (d * (255 - alpha) + 127) / 255) << shift;
        }
        target = blended;
      }
    }
    frames.push_back({stretch_pixels(canvas, static_cast<std::int32_t>(screen_width),
                                     static_cast<std::int32_t>(screen_height), width, height),
                      gif_frame_delay_ms(delay)});
    if (frame_bytes * (frames.size() + 1) > most_frame_bytes) break;  // the animation stops here

    if (disposal == 2) {
      for (std::uint32_t y = top; y < bottom; ++y) {
        std::fill_n(canvas.begin() + static_cast<std::ptrdiff_t>(std::size_t{y} * screen_width + left), right - left,
                    0u);
      }
    } else if (disposal == 3 && !saved.empty()) {
      canvas = saved;
    }
  }
  return frames;
}

// The frame to show of a still picture: the first, or an icon's largest.
UINT chosen_frame(IWICBitmapDecoder& decoder, picture_format format) {
  UINT count = 0;
  if (FAILED(decoder.GetFrameCount(&count)) || count <= 1) return 0;
  if (format != picture_format::icon && format != picture_format::cursor) return 0;
  UINT best = 0;
  std::uint64_t best_area = 0;
  for (UINT index = 0; index < count; ++index) {
    com_ptr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(decoder.GetFrame(index, frame.put())) || FAILED(frame->GetSize(&width, &height))) continue;
    if (std::uint64_t{width} * height > best_area) {
      best_area = std::uint64_t{width} * height;
      best = index;
    }
  }
  return best;
}

}  // namespace

decoded_picture decode_picture(std::span<const std::uint8_t> bytes, picture_format format, std::int32_t width,
                               std::int32_t height) {
  decoded_picture picture{width, height, {}};
  if (width <= 0 || height <= 0 || bytes.empty() || bytes.size() > 0xFFFFFFFFu) return picture;
  if (format == picture_format::none || format == picture_format::pcx_8bit || format == picture_format::pcx_1bit) {
    return picture;  // no decoder on Windows for PCX: the box stays blank
  }
  com_apartment apartment;
  com_ptr<IWICImagingFactory> factory;
  if (FAILED(com::create_object(imaging_factory_class, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.put())))) {
    return picture;
  }
  // A cursor file is an icon file with another type number and hot spots
  // where an icon has planes and colour depth; the icon decoder reads the
  // pictures themselves, so the cursor is read as an icon.
  std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  if (format == picture_format::cursor) data[2] = 1;
  com_ptr<IWICStream> stream;
  com_ptr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(data.data(), static_cast<DWORD>(data.size()))) ||
      FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put()))) {
    return picture;
  }
  if (format == picture_format::gif) {
    picture.frames = gif_frames(*factory.get(), *decoder.get(), width, height);
    return picture;
  }
  com_ptr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(chosen_frame(*decoder.get(), format), frame.put()))) return picture;
  const auto limit = [](std::int32_t box) { return static_cast<UINT>(box) * 2; };
  std::optional<raw_image> image = read_pixels(*factory.get(), frame.get(), limit(width), limit(height));
  if (!image) return picture;
  picture.frames.push_back({stretch_pixels(image->pixels, image->width, image->height, width, height), 0});
  return picture;
}

}  // namespace vantor
