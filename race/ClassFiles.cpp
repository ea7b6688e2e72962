#include "race/ClassFiles.h"

#include "core/Core.h"
#include "framework/Handles.h"
#include "records/RecordLines.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdint>

namespace {

// 1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB, GDI+'s EncoderQuality.
const GUID kEncoderQuality = {0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};
const ULONG kJpegQuality = 90;

// A camera keeps a portrait photo lying on its side and says so in the
// photo's EXIF orientation (1 to 8), which GDI+ leaves to its caller.
void turnUpright(gp::GpImage* image) {
    static const gp::RotateFlipType kTurn[] = {
        gp::RotateNoneFlipNone, gp::RotateNoneFlipNone, gp::RotateNoneFlipX,
        gp::Rotate180FlipNone,  gp::Rotate180FlipX,     gp::Rotate90FlipX,
        gp::Rotate90FlipNone,   gp::Rotate270FlipX,     gp::Rotate270FlipNone};
    UINT size = 0;
    if (gp::GdipGetPropertyItemSize(image, PropertyTagOrientation, &size) != gp::Ok ||
        size < sizeof(gp::PropertyItem) + 2)
        return;
    std::vector<BYTE> buffer(size);
    auto* item = reinterpret_cast<gp::PropertyItem*>(buffer.data());
    if (gp::GdipGetPropertyItem(image, PropertyTagOrientation, size, item) != gp::Ok ||
        item->type != PropertyTagTypeShort || item->length < 2 || !item->value)
        return;
    const unsigned short orientation = *static_cast<const unsigned short*>(item->value);
    if (orientation < sizeof kTurn / sizeof kTurn[0]) gp::GdipImageRotateFlip(image, kTurn[orientation]);
}

// The bytes an encoder wrote into a stream in memory.
bool streamBytes(IStream* stream, std::string* bytes) {
    STATSTG stat = {};
    LARGE_INTEGER start = {};
    if (stream->Stat(&stat, STATFLAG_NONAME) != S_OK || stream->Seek(start, STREAM_SEEK_SET, nullptr) != S_OK)
        return false;
    bytes->assign((size_t)stat.cbSize.QuadPart, '\0');
    ULONG got = 0;
    return bytes->empty() ||
           (stream->Read(&(*bytes)[0], (ULONG)bytes->size(), &got) == S_OK && got == bytes->size());
}

}  // namespace

bool askPicture(HWND owner, const std::string& name, std::wstring* path) {
    static const char kFilter[] = "图片（JPEG、PNG、BMP、GIF）\0*.jpg;*.jpeg;*.jpe;*.png;*.bmp;*.gif\0"
                                  "所有文件\0*.*\0";
    const std::wstring filter = toWide(std::string(kFilter, sizeof kFilter));
    const std::wstring title = toWide("选择“" + name + "”的照片");
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = (DWORD)file.size();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&ofn)) {
        *path = file.data();
        return true;
    }
    if (const DWORD error = CommDlgExtendedError())
        core->msgboxWarning(owner, "无法打开选择文件的窗口（错误 " + core->getStrInt((int)error) + "）。");
    return false;
}

bool photoAsJpeg(const std::wstring& source, std::string* jpeg, std::string* reason) {
    *reason = "无法转换这个图片（内存不足，或者系统缺少 JPEG 编码器）。";
    gp::GpImage* loaded = nullptr;
    UINT w = 0, h = 0;
    if (gp::GdipLoadImageFromFile(source.c_str(), &loaded) != gp::Ok || !loaded) {
        *reason = "不是能识别的图片。请选择 JPEG、PNG、BMP 或 GIF 图片。";
        return false;
    }
    const gp::ScopedImage picture(loaded);
    turnUpright(picture.get());
    gp::GdipGetImageWidth(picture.get(), &w);
    gp::GdipGetImageHeight(picture.get(), &h);
    if (w == 0 || h == 0) return false;
    const UINT height = std::min(h, kPhotoHeight);
    const UINT width = std::max<UINT>(1, (UINT)((uint64_t)w * height / h));
    gp::GpBitmap* bitmap = nullptr;
    if (gp::GdipCreateBitmapFromScan0((INT)width, (INT)height, 0, PixelFormat24bppRGB, nullptr, &bitmap) != gp::Ok)
        return false;
    const gp::ScopedImage photo(bitmap);
    {
        gp::GpGraphics* g = nullptr;
        if (gp::GdipGetImageGraphicsContext(photo.get(), &g) != gp::Ok) return false;
        const gp::ScopedGraphics graphics(g);
        gp::GdipGraphicsClear(g, 0xFFFFFFFF);  // JPEG has no transparency: white, as on paper
        gp::GdipSetInterpolationMode(g, gp::InterpolationModeHighQualityBicubic);
        gp::GdipSetPixelOffsetMode(g, gp::PixelOffsetModeHighQuality);
        if (gp::GdipDrawImageRectI(g, picture.get(), 0, 0, (INT)width, (INT)height) != gp::Ok) return false;
    }
    CLSID encoder;
    gp::ScopedStream stream(SHCreateMemStream(nullptr, 0));
    ULONG quality = kJpegQuality;
    gp::EncoderParameters parameters = {};
    parameters.Count = 1;
    parameters.Parameter[0] = {kEncoderQuality, 1, gp::EncoderParameterValueTypeLong, &quality};
    return findImageEncoder(L"image/jpeg", &encoder) && stream &&
           gp::GdipSaveImageToStream(photo.get(), stream.get(), &encoder, &parameters) == gp::Ok &&
           streamBytes(stream.get(), jpeg);
}

std::vector<ClassChild> readClassChildren(const DataFolder& folder) {
    TextFile file;
    if (!folder.readText(folder.classPath(), &file, nullptr) || !file.exists) return {};
    return ClassList(NamesSource{file.text, true, {}}, NamesSource{}).children();
}

std::string sexIn(const std::vector<ClassChild>& children, const std::string& recordsName) {
    for (const ClassChild& child : children)
        if (recordsNameOf(child.name) == recordsName) return child.sex;
    return std::string();
}

std::string clipboardText(HWND owner, std::vector<int>* lossyLines) {
    std::vector<int> ignored;
    std::vector<int>& lossy = lossyLines ? *lossyLines : ignored;
    lossy.clear();
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return std::string();
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = wide;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return wideToAnsi(text, &lossy);
}

// --- the files of an OK, through the system ---

namespace {
// A photo or a names file is far below this; a larger one is none the
// program made, and is not read back in part.
const size_t kUndoReadLimit = 256u << 20;
}  // namespace

bool CorePlanFiles::exists(const std::string& path) {
    return GetFileAttributesW(CCore::systemText(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CorePlanFiles::read(const std::string& path, std::string* bytes) {
    return core->readFile(path, bytes, kUndoReadLimit, &error_);
}

bool CorePlanFiles::rename(const std::string& from, const std::string& to) {
    return core->renameFile(from, to, false, &error_);
}

bool CorePlanFiles::write(const std::string& path, const std::string& bytes) {
    return core->replaceWhole(path, bytes, &error_);
}

bool CorePlanFiles::remove(const std::string& path) { return core->removeFile(path, &error_); }

std::string CorePlanFiles::lastError() { return CCore::errorText(error_); }
