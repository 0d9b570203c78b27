/*
 * Public interface of the seven image kit libraries (Ik7Com.so, Ik7Effect.so, Ik7File.so,
 * Ik7Print.so, Ik7Scan.so, Ik7RasToVect.so, Ik7VectCom.so).
 *
 * Images are 32-bit handles of global memory blocks (platform/GlobalMemory.h) holding a
 * packed device-independent bitmap; 0 is no image. A new image belongs to the caller,
 * who frees it with IKFreeMemory; inputs always stay the caller's.
 *
 * Every export is a C function that never throws and never aborts. A failure returns
 * 0 (or false) and leaves a status that IKGetErrorStatus reports; success leaves 0.
 * Booleans are IKBOOL: 0 is false, any other value (callers pass all bits set) true.
 * Texts are NUL-terminated UTF-8. Device contexts are QPainter pointers, windows
 * QWidget pointers and bitmaps QImage pointers, all passed as void pointers.
 */
#ifndef IK7KIT_H
#define IK7KIT_H

#include <stdint.h>

#ifdef __cplusplus
#define IK_EXTERN_C extern "C"
#else
#define IK_EXTERN_C
#endif
#define IK_API IK_EXTERN_C __attribute__((visibility("default")))

typedef uint32_t IKHANDLE; /* image handle, 0 = none */
typedef int32_t IKBOOL;

#define IK_TRUE ((IKBOOL)-1)
#define IK_FALSE ((IKBOOL)0)

/* Status values of IKGetErrorStatus. */
enum {
    IK_OK = 0,
    IK_ERR_HANDLE = 1,      /* image handle 0, freed, or not an image of this kit */
    IK_ERR_MEMORY = 2,      /* a block could not be allocated, or would exceed 4 GiB */
    IK_ERR_FORMAT = 3,      /* bitmap depth or layout this function does not handle */
    IK_ERR_ARGUMENT = 5,    /* an argument out of range or a null pointer */
    IK_ERR_CLIPBOARD = 6,   /* clipboard unreachable, or it holds no image */
    IK_ERR_CANCELLED = 9,   /* the progress callback asked to stop */
    IK_ERR_FILE_OPEN = 10,  /* a file could not be opened or created */
    IK_ERR_FILE_READ = 11,  /* a file is truncated, corrupt or of an unknown format */
    IK_ERR_FILE_WRITE = 12  /* a file could not be written */
};

/* Image kinds reported in IKIMAGEINFO.kind. */
enum { IK_KIND_INVALID = 0, IK_KIND_RASTER = 1 };

/*
 * Image information record filled by IKGetImageType, 40 bytes, little-endian.
 * For a packed bitmap:
 *   valueA     bits per pixel (1, 4, 8, 16, 24, 32)
 *   valueB     colour-table entries (0 for 16, 24 and 32 bits)
 *   valueC     compression of the header (0 plain, 3 bit fields)
 *   valueD     bytes of pixel data (rows × stride)
 *   flagE      nonzero when every colour of the table is grey (palette images only)
 *   valueF     bytes of the whole block
 */
typedef struct IKIMAGEINFO {
    uint16_t valueA;
    uint16_t valueB;
    uint16_t valueC;
    uint16_t reserved1;
    int32_t xdpi;
    int32_t ydpi;
    int32_t width;
    int32_t height;
    uint32_t valueD;
    int32_t flagE;
    uint32_t valueF;
    uint16_t kind;
    uint16_t reserved2;
} IKIMAGEINFO;

#ifdef __cplusplus
static_assert(sizeof(IKIMAGEINFO) == 40, "image information record is 40 bytes");
#endif

typedef struct IKRECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
} IKRECT;

/* Progress callback: percentage done; return nonzero to go on, 0 to stop. */
typedef int32_t (*IKPROGRESSPROC)(int32_t percent);

/* The progress tail that ends long operations. */
#define IK_PROGRESS_TAIL IKPROGRESSPROC progress, const char* caption, const char* message, const char* button

/* Every kit library: its name and version, e.g. "Ik7Com 7.0.0". */
IK_API const char* IKLibraryVersion(void);

/* ---- Ik7Com.so: memory, resolution, palettes, clipboard, bitmaps ---------------- */

IK_API uint32_t IKGetMemorySize(IKHANDLE image);
IK_API IKBOOL IKFreeMemory(IKHANDLE image);
IK_API IKBOOL IKGetImageType(IKHANDLE image, IKIMAGEINFO* info);
IK_API int32_t IKGetSystemPalette(void);
IK_API IKBOOL IKSetDpi(IKHANDLE image, int32_t xdpi, int32_t ydpi);
IK_API IKBOOL IKGetDpi(IKHANDLE image, int32_t* xdpi, int32_t* ydpi);
IK_API IKBOOL IKSetDpiF(IKHANDLE image, double xdpi, double ydpi);
IK_API IKBOOL IKGetDpiF(IKHANDLE image, double* xdpi, double* ydpi);
IK_API IKBOOL IKGetDpiFromHdc(void* dc, int32_t* xdpi, int32_t* ydpi);
IK_API uint16_t IKGetErrorStatus(void);

/* Red, green and blue arrays of 16-bit values, one element per colour-table entry. */
IK_API IKBOOL IKGetPalette(IKHANDLE image, uint16_t* red, uint16_t* green, uint16_t* blue);
IK_API IKBOOL IKSetPalette(IKHANDLE image, const uint16_t* red, const uint16_t* green, const uint16_t* blue);

/* Pixels of a 1-bit image using colour-table entry 0 (first) and entry 1 (second). */
IK_API IKBOOL IKGetOneBitPalCount(IKHANDLE image, int32_t* first, int32_t* second);

/* Clipboard; window may be null. The four trailing values are reserved (pass 0). */
IK_API IKBOOL IKSetToClipBrd(void* window, IKHANDLE image, int32_t r1, int32_t r2, int32_t r3, int32_t r4);
IK_API IKHANDLE IKGetFromClipBrd(void* window, int32_t r1, int32_t r2, int32_t r3, int32_t r4);
IK_API IKBOOL IKIsClipBrdData(void* window);
IK_API IKBOOL IKClearClipBrd(void* window);

IK_API IKHANDLE IKCopyImage(IKHANDLE image);

/*
 * A new width × height image of 1, 4, 8, 24 or 32 bits filled with the colour red,
 * green, blue. Palette images get a fixed table (1 bit: black, white; 4 bits: the 16
 * standard colours; 8 bits: 256 greys when the colour is grey, else 3-3-2 colour levels)
 * and are filled with the entry nearest the colour. The four trailing values are
 * reserved (pass 0). Resolution starts at 0.
 */
IK_API IKHANDLE IKCreateImage(int32_t width, int32_t height, uint16_t bits, uint8_t red, uint8_t green,
                              uint8_t blue, int32_t r1, int32_t r2, int32_t r3, int32_t r4);

/* Bitmaps: a QImage* in, a new heap QImage* out (deleted with IKDeleteBitmapObject). */
IK_API IKHANDLE IKDibFromBitmap(void* bitmap, void* palette);
IK_API void* IKBitmapFromDib(IKHANDLE image);
IK_API IKBOOL IKDeleteBitmapObject(void* object);

/* Header helpers: `header` points at the locked bitmap information header. */
IK_API uint16_t DibNumColors(const void* header);
IK_API uint16_t GetDibPalSize(const void* header);
IK_API IKBOOL IsGrayImage(IKHANDLE image);
IK_API void* CreateBIPalette(const void* header);

/* ---- Drawing on a device context (QPainter*) ---------------------------------- */

IK_API int32_t _StretchDIBits(void* dc, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy,
                              int32_t sw, int32_t sh, const void* bits, const void* header, uint32_t colorUse,
                              uint32_t rop);
IK_API IKHANDLE ConvertColorTo8Gray(IKHANDLE image);
IK_API IKHANDLE Resize1Bit(IKHANDLE grey, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width,
                           int32_t height);

/* ---- Ik7File.so ---------------------------------------------------------------- */

IK_API IKBOOL IKFileType(const char* path, int32_t page, void* info);
IK_API IKHANDLE IKFileLoad(const char* path, int32_t page, int32_t vectorWidth, int32_t vectorHeight,
                           IK_PROGRESS_TAIL);
IK_API IKBOOL IKTiffFileSave(const char* path, IKHANDLE image, int32_t compression, int32_t colorSpaceOrQuality,
                             IKBOOL append, const char* comment, IKBOOL oneStrip, IK_PROGRESS_TAIL);
/*
 * EXIF values of a JPEG file, filled by IKJpegExifInfo. Numbers are 0 and texts empty
 * when the file does not carry them. The embedded thumbnail is a new 24-bit (or 8-bit
 * grey) image owned by the caller, 0 when there is none or it cannot be decoded.
 */
#define IK_EXIF_TEXT 1024
typedef struct IKEXIFINFO {
    int32_t width;        /* pixel dimensions recorded by the camera */
    int32_t height;
    int32_t orientation;  /* 1 … 8 */
    int32_t xdpi;
    int32_t ydpi;
    int32_t isoSpeed;
    double exposureTime;  /* seconds */
    double fNumber;
    double focalLength;   /* millimetres */
    char make[IK_EXIF_TEXT];
    char model[IK_EXIF_TEXT];
    char dateTime[IK_EXIF_TEXT];
    char software[IK_EXIF_TEXT];
    char description[IK_EXIF_TEXT];
    IKHANDLE thumbnail;
} IKEXIFINFO;

IK_API IKBOOL IKJpegExifInfo(const char* path, IKEXIFINFO* record);

/* ---- Ik7Effect.so -------------------------------------------------------------- */

IK_API IKHANDLE IKConvertColor(IKHANDLE image, uint16_t bits, IKBOOL flag1, IKBOOL flag2, uint8_t threshold,
                               IK_PROGRESS_TAIL);
IK_API IKBOOL IKRotationEx(const IKHANDLE images[2], IKHANDLE results[2], int32_t angle, IKBOOL flag1,
                           IKBOOL flag2, IKBOOL flag3, uint8_t red, uint8_t green, uint8_t blue, IKBOOL flag4,
                           IK_PROGRESS_TAIL);
IK_API IKHANDLE IKCutRectImage(IKHANDLE image, const IKRECT* rect, IK_PROGRESS_TAIL);
IK_API IKBOOL IKResizeEx(const IKHANDLE images[2], IKHANDLE results[2], int32_t width, int32_t height,
                         IKBOOL flag, IK_PROGRESS_TAIL);

/* ---- Ik7VectCom.so: vector drawing support a control starts and ends ------------ */

IK_API uint32_t IKVectorGdipStart(void);
IK_API IKBOOL IKVectorGdipEnd(uint32_t token);
IK_API IKHANDLE IKVectorToRaster(IKHANDLE vector, uint16_t bits, IKBOOL flag, uint8_t red, uint8_t green,
                                 uint8_t blue);
IK_API IKHANDLE IKCreateVectImage(int32_t v1, int32_t v2, int32_t v3, int32_t v4);
IK_API IKHANDLE IKCreateVectImageEx(uint8_t kind, int32_t v1, int32_t v2, int32_t v3, int32_t v4);
IK_API IKBOOL IKDrawVectObject(void* dc, IKHANDLE image, int32_t v1, int32_t v2, int32_t v3, int32_t v4, double d1,
                               double d2, IKBOOL flag);
IK_API void* IKCnvMbkToEmfHandle(IKHANDLE image, int32_t flags);
IK_API IKHANDLE IKCnvEmfHandleToMbk(void* metafile);

#endif /* IK7KIT_H */
