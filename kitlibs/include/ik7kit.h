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
/*
 * Colours are COLORREF values: 0x00BBGGRR. Rectangles have exclusive right and bottom.
 * _StretchDIBits draws the source rectangle (measured from the image's top-left corner)
 * into the destination rectangle: 1:1 exactly, otherwise the nearest source pixel.
 */
IK_API IKBOOL _Box(void* dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t lineWidth,
                   uint32_t colour);
IK_API IKBOOL _BoxFull(void* dc, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour);
/* Filled with the background, then hatched; style 5 is the diagonal cross. */
IK_API IKBOOL _BoxFullHatch(void* dc, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t background,
                            uint32_t hatch, int32_t style);
/* A new 8-bit grey image of a 1-bit image; 0 (IK_ERR_FORMAT) for any other image. */
IK_API IKHANDLE ConvertColorTo8Gray(IKHANDLE image);
/*
 * A new 8-bit grey image of exactly width × height, the area average of the inclusive
 * source rectangle (x0, y0)–(x1, y1), or of the whole image when all four are 0.
 */
IK_API IKHANDLE Resize1Bit(IKHANDLE grey, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width,
                           int32_t height);

/* ---- Ik7File.so ---------------------------------------------------------------- */

/*
 * File-type codes of IKFILEINFO.fileType. TIFF codes are per page. 9 to 14 and 29 are
 * fixed by the program, 16 to 18 are the multi-resolution files (FlashPix), whose images
 * are the resolution levels of one picture.
 */
enum {
    IK_FILETYPE_BMP = 1,
    IK_FILETYPE_BMP_RLE = 2,
    IK_FILETYPE_JPEG = 3,
    IK_FILETYPE_GIF = 4,
    IK_FILETYPE_PNG = 5,
    IK_FILETYPE_PCX = 6,
    IK_FILETYPE_TIFF_NONE = 7,       /* uncompressed */
    IK_FILETYPE_TIFF_OTHER = 8,      /* a compression without a code of its own */
    IK_FILETYPE_TIFF_CCITTRLE = 9,
    IK_FILETYPE_TIFF_G3_1D = 10,
    IK_FILETYPE_TIFF_G3_2D = 11,
    IK_FILETYPE_TIFF_G4 = 12,
    IK_FILETYPE_TIFF_PACKBITS = 13,
    IK_FILETYPE_TIFF_LZW = 14,
    IK_FILETYPE_TIFF_DEFLATE = 15,   /* both Deflate codes */
    IK_FILETYPE_FPX = 16,            /* FlashPix, tiles uncompressed */
    IK_FILETYPE_FPX_SINGLE_COLOUR = 17, /* FlashPix with single-colour tiles */
    IK_FILETYPE_FPX_JPEG = 18,       /* FlashPix with JPEG tiles */
    IK_FILETYPE_TIFF_OLDJPEG = 19,
    IK_FILETYPE_JP2 = 20,            /* JPEG 2000 file format */
    IK_FILETYPE_J2K_STREAM = 21,     /* raw JPEG 2000 code stream */
    IK_FILETYPE_JPEG_PROGRESSIVE = 22,
    IK_FILETYPE_JPEG_EXIF = 23,
    IK_FILETYPE_TIFF_JPEG = 29
};

/*
 * File-information record filled by IKFileType, 2128 bytes, little-endian.
 *   bitsPerPixel  depth of the bitmap IKFileLoad makes of the page: 1, 4, 8, 24 or 32
 *   valueG/H      horizontal and vertical resolution in dots per inch (0 when absent)
 *   valueJ        the format's own compression value (the TIFF Compression tag, the BMP
 *                 compression field, 0 where the format has only one)
 *   valueK        samples (channels) per pixel as stored in the file
 *   valueL        bits per pixel as stored in the file (all samples)
 *   interlace     1 for an interlaced GIF or PNG or a progressive JPEG, else 0
 *   pageCount     pages of a TIFF, images of a GIF, resolution levels of a FlashPix file,
 *                 1 for the other formats
 *   comment       TIFF image description, JPEG, PNG or GIF comment, truncated to 2047 bytes
 */
#define IK_FILEINFO_COMMENT 2048
typedef struct IKFILEINFO {
    int32_t bitsPerPixel;
    int32_t valueG;
    int32_t valueH;
    int32_t width;
    int32_t height;
    int32_t valueJ;
    int32_t valueK;
    uint16_t fileType;
    uint16_t interlace;
    int32_t pageCount;
    int32_t valueL;
    char comment[IK_FILEINFO_COMMENT];
    uint8_t reserved[40];
} IKFILEINFO;

#ifdef __cplusplus
static_assert(sizeof(IKFILEINFO) == 2128, "file-information record is 2128 bytes");
#endif

/* Facts of one page (from 0) of an image file, recognised by its content. */
IK_API IKBOOL IKFileType(const char* path, int32_t page, void* info);
/*
 * One page (from 0) of a raster image file of any supported format, recognised by its
 * content: TIFF, JPEG, PNG, GIF, BMP, PCX, JPEG 2000 (JP2 and code stream), FlashPix
 * (page n: the n-th resolution level from the full one). The page
 * value 32767 loads a PNG with its alpha kept (32 bits); other formats take it as page 0.
 * The vector sizes are ignored: vector formats are not recognised.
 */
IK_API IKHANDLE IKFileLoad(const char* path, int32_t page, int32_t vectorWidth, int32_t vectorHeight,
                           IK_PROGRESS_TAIL);
/*
 * IKFileLoad of a page decoded at a smaller size where its coding allows, the picture
 * still at least maxWidth × maxHeight (the full page when smaller): JPEG files and
 * JPEG-coded TIFF pages scaled by 1/2, 1/4 or 1/8, JPEG 2000 with fewer resolution levels,
 * FlashPix files from their smallest stored level of at least that size,
 * bilevel TIFF pages area-averaged, while their rows are read, into 8-bit grey of the
 * smallest size of their proportions not below the asked one.
 * Other pages load as IKFileLoad loads them. The resolution scales with the picture.
 */
IK_API IKHANDLE IKFileLoadReduced(const char* path, int32_t page, int32_t maxWidth, int32_t maxHeight,
                                  IKPROGRESSPROC progress);

/* Loads of one format: the file must be of that format (else IK_ERR_FILE_READ). */
IK_API IKHANDLE IKBmpFileLoad(const char* path, IK_PROGRESS_TAIL);
IK_API IKHANDLE IKJpegFileLoad(const char* path, IK_PROGRESS_TAIL);
IK_API IKHANDLE IKPcxFileLoad(const char* path, IK_PROGRESS_TAIL);
IK_API IKHANDLE IKJ2kFileLoad(const char* path, IK_PROGRESS_TAIL);
IK_API IKHANDLE IKGifFileLoad(const char* path, int32_t page, IK_PROGRESS_TAIL);
IK_API IKHANDLE IKTiffFileLoad(const char* path, int32_t page, IK_PROGRESS_TAIL);
/*
 * FlashPix: level 0 is the full resolution, each further one a reduced level; 8-bit grey
 * (monochrome) or 24-bit images, opacity composed onto white, the resolution from the
 * recorded display size. The memory form reads the file's bytes from data.
 */
IK_API IKHANDLE IKFpxFileLoad(const char* path, int32_t level, IK_PROGRESS_TAIL);
IK_API IKHANDLE IKFpxFileLoadMem(const void* data, int32_t size, int32_t level, IK_PROGRESS_TAIL);
/* Mode 1: alpha composed onto white (24 bits); mode 2: alpha kept (32 bits). */
IK_API IKHANDLE IKPngFileLoadEx(const char* path, int32_t mode, IK_PROGRESS_TAIL);

/*
 * Writes one TIFF page. Compression: 0 none, 1 CCITT run-length, 2 Group 3 one-
 * dimensional, 3 Group 3 two-dimensional, 4 Group 4, 5 PackBits, 6 LZW, 7 JPEG. For 0 to 6
 * the fourth value is the colour space of 24- and 32-bit images (0 RGB, 1 CMYK); for 7 it
 * is the JPEG quality 1 to 100 (0 takes 75). 1-bit pages are written min-is-white, 4- and
 * 8-bit images as palette pages (8-bit grey tables as grey pages). CCITT compressions take
 * 1-bit images only and JPEG takes 24- and 32-bit and 8-bit grey images; another image is
 * refused (IK_ERR_FORMAT) before the file is touched. With append an existing TIFF gets
 * the page after its last page and a missing file is created; without it the file is
 * replaced. The comment becomes the image description; oneStrip puts the page in one
 * strip, else strips of about 8 KB. An existing file is never left damaged: a failed or
 * stopped write leaves it as it was.
 */
IK_API IKBOOL IKTiffFileSave(const char* path, IKHANDLE image, int32_t compression, int32_t colorSpaceOrQuality,
                             IKBOOL append, const char* comment, IKBOOL oneStrip, IK_PROGRESS_TAIL);

/*
 * Copies page `page` (0-based) of the TIFF `source` into the TIFF `target` exactly as it is
 * stored: its strips or tiles byte for byte, with the tags that say how they are laid out,
 * coded and meant (size, depth, samples, photometric, compression and its options, colour
 * map, extra samples, ink set, resolution, strips or tiles, planar configuration,
 * predictor, fill order, orientation, JPEG tables, YCbCr subsampling…). The comment
 * becomes the image description as IKTiffFileSave writes it (an empty one writes none); a
 * null comment keeps the page's own description. Append, and the care for an existing target, are
 * those of IKTiffFileSave; the target may be the source itself. Tags and data come from one
 * opening of the source. A page that cannot be copied as it is stored (a compression
 * IKTiffFileSave does not offer, old-style JPEG, strips or tiles missing, shared or not
 * matching the page's size) is refused with IK_ERR_FORMAT before the target is touched:
 * decode and save it instead. IK_ERR_FILE_OPEN: no source file; IK_ERR_FILE_READ: the
 * source is no TIFF or the page is damaged; IK_ERR_ARGUMENT: no such page.
 */
IK_API IKBOOL IKTiffPageCopy(const char* source, int32_t page, const char* target, IKBOOL append,
                             const char* comment, IK_PROGRESS_TAIL);

/*
 * A TIFF kept open for copying several of its pages, as IKTiffPageCopy copies one: all of
 * them come from this one opening, and copying the page after the one copied last reads
 * one more directory instead of walking the file's page chain from its start. Open gives
 * null with the status set (IK_ERR_FILE_OPEN: no file; IK_ERR_FILE_READ: no TIFF). A page
 * copy fails, refuses and cares for the target as IKTiffPageCopy does; a page refused or
 * failed leaves the source usable for other pages. Close every source opened; a null
 * source is ignored. One source is used by one thread at a time.
 */
typedef struct IKTiffSourceRec* IKTIFFSOURCE;
IK_API IKTIFFSOURCE IKTiffSourceOpen(const char* path);
IK_API IKBOOL IKTiffSourcePageCopy(IKTIFFSOURCE source, int32_t page, const char* target, IKBOOL append,
                                   const char* comment, IK_PROGRESS_TAIL);
IK_API void IKTiffSourceClose(IKTIFFSOURCE source);

/* BMP: plain, or run-length coded (RLE8 for 8-bit, RLE4 for 4-bit images; others plain). */
IK_API IKBOOL IKBmpFileSave(const char* path, IKHANDLE image, IKBOOL runLength, IK_PROGRESS_TAIL);
/*
 * JPEG: progressive 0 or 1; quality 1 to 100 (0 takes 75); subsampling 0 4:1:1 (2x2),
 * 1 4:2:2, 2 4:4:4. Palette images are written as grey when their table is grey, else
 * as colour.
 */
IK_API IKBOOL IKJpegFileSave(const char* path, IKHANDLE image, int32_t progressive, int32_t quality,
                             int32_t subsampling, const char* comment, IK_PROGRESS_TAIL);
/*
 * GIF: images deeper than 8 bits are reduced to 256 colours. With transparent, the
 * colour-table entry nearest red, green, blue is transparent. Animation and its delay
 * (1/100 s) only mark the file as looping; a single image is written.
 */
IK_API IKBOOL IKGifFileSave(const char* path, IKHANDLE image, IKBOOL interlace, IKBOOL transparent, uint8_t red,
                            uint8_t green, uint8_t blue, IKBOOL animation, int32_t delay, const char* comment,
                            IK_PROGRESS_TAIL);
/* PNG: with alpha a 32-bit image keeps its alpha channel, otherwise it is written as RGB. */
IK_API IKBOOL IKPngFileSaveEx(const char* path, IKHANDLE image, IKBOOL interlace, IKBOOL transparent,
                              uint8_t red, uint8_t green, uint8_t blue, IKBOOL alpha, const char* comment,
                              IK_PROGRESS_TAIL);
/*
 * FlashPix: the image and its reduced levels (each half the size) down to one 64 × 64
 * tile. Mode 0 stores tiles uncompressed, 1 stores a tile that is one colour as that colour
 * and the others uncompressed, 2 codes every tile as JPEG at quality 1 to 100 (0 takes
 * 75). Grey palette images are written monochrome, others as RGB. The comment goes into
 * the summary information.
 */
IK_API IKBOOL IKFpxFileSave(const char* path, IKHANDLE image, int32_t mode, int32_t quality, const char* comment,
                            IK_PROGRESS_TAIL);
/* The same file made in memory: a new memory block (IKFreeMemory) holding its bytes. */
IK_API IKHANDLE IKFpxFileSaveMem(IKHANDLE image, int32_t mode, int32_t quality, const char* comment,
                                 IK_PROGRESS_TAIL);
/* PCX: 1 bit, 4 bits in four planes, 8 bits with palette, 24 bits in three planes. */
IK_API IKBOOL IKPcxFileSave(const char* path, IKHANDLE image, IK_PROGRESS_TAIL);
/*
 * JPEG 2000: stream true writes a raw code stream, else the JP2 file format. flag true is
 * lossless (reversible wavelet); false is lossy at the compression ratio param1 (0 takes
 * 20). param2 is the number of resolution levels (0 takes 6). The seven reserved values
 * are ignored (pass 0).
 */
IK_API IKBOOL IKJ2kFileSave(const char* path, IKHANDLE image, IKBOOL stream, IKBOOL flag, int32_t param1,
                            int32_t param2, int32_t r1, int32_t r2, int32_t r3, int32_t r4, int32_t r5, int32_t r6,
                            int32_t r7, const char* comment, IK_PROGRESS_TAIL);
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

/*
 * A new image of another depth; the resolution is kept. bits: 1 (black below the threshold
 * of Rec. 601 luminance, white at or above it; flag1 spreads the error, Floyd–Steinberg),
 * 4 and 8 (median-cut palette; the exact colours when the image has few enough), 16 (5-5-5),
 * 24, 32, or 80 for 8-bit grey. flag2 is reserved.
 */
IK_API IKHANDLE IKConvertColor(IKHANDLE image, uint16_t bits, IKBOOL flag1, IKBOOL flag2, uint8_t threshold,
                               IK_PROGRESS_TAIL);
/*
 * images {image, mask or 0} turned by angle (1/100 degree, positive counter-clockwise) into
 * results {image, mask or 0}. Multiples of 9000 are exact on every depth, keep the colour
 * table and swap the resolution on quarter turns; other angles give the bounding box with
 * red, green, blue where the image no longer covers it (a mask: 0 there). Flags reserved.
 */
IK_API IKBOOL IKRotationEx(const IKHANDLE images[2], IKHANDLE results[2], int32_t angle, IKBOOL flag1,
                           IKBOOL flag2, IKBOOL flag3, uint8_t red, uint8_t green, uint8_t blue, IKBOOL flag4,
                           IK_PROGRESS_TAIL);
/* The rectangle (right and bottom exclusive, clipped to the image) as a new image. */
IK_API IKHANDLE IKCutRectImage(IKHANDLE image, const IKRECT* rect, IK_PROGRESS_TAIL);
/*
 * images {image, mask or 0} resized into results. Area averaging when shrinking, bilinear
 * when enlarging; 1-bit and grey images give 8-bit grey, 32-bit keep four channels, others
 * give 24 bits. With flag the nearest pixel is taken and depth and colour table are kept.
 */
IK_API IKBOOL IKResizeEx(const IKHANDLE images[2], IKHANDLE results[2], int32_t width, int32_t height,
                         IKBOOL flag, IK_PROGRESS_TAIL);
/* A new 8-bit grey image (Rec. 601 luminance). */
IK_API IKHANDLE IKSetGray(IKHANDLE image, IK_PROGRESS_TAIL);
/* A new 32-bit image: the colours of image, alpha the luminance of mask (opaque when 0). */
IK_API IKHANDLE IKMakeRGBAImage(IKHANDLE image, IKHANDLE mask, IK_PROGRESS_TAIL);
/* A plain 32-bit image split into a new 24-bit image and a new 8-bit grey alpha image. */
IK_API IKBOOL IKSplitRGBAImage(IKHANDLE image, IKHANDLE* colour, IKHANDLE* alpha, IK_PROGRESS_TAIL);

/*
 * Pixel access through a record of IK_DIBACCESS_RECORD bytes. Its first four bytes carry a
 * pixel's packed value, little-endian: the palette index, or the 16-, 24- or 32-bit value
 * (B, G, R, A). The image stays locked from IKStartDibAccess to IKEndDibAccess.
 */
#define IK_DIBACCESS_RECORD 132
IK_API IKBOOL IKStartDibAccess(IKHANDLE image, void* record);
IK_API IKBOOL IKGetDibPixel(void* record, int32_t x, int32_t y);
IK_API IKBOOL IKSetDibPixel(void* record, int32_t x, int32_t y);
IK_API IKBOOL IKEndDibAccess(IKHANDLE image, void* record);

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

/* ---- Ik7Scan.so: scanners on SANE ------------------------------------------------ */

/*
 * A connection (IKScanInitialize) and an open source (IKScanOpenDS) are nonzero 32-bit
 * handles. Sources are SANE devices, named by their product names; two devices of one
 * model get distinct names. Texts handed inside records travel as global memory handles
 * (platform/GlobalMemory.h) holding NUL-terminated UTF-8, 0 for an empty text, because a
 * record keeps 4 bytes for them.
 */
typedef uint32_t IKSCANCONNECTION;
typedef uint32_t IKSCANSOURCE;

/* Statuses of Ik7Scan.so besides IK_ERR_ARGUMENT (a bad connection or source handle),
 * IK_ERR_MEMORY (a page over the budget of 2^30 pixels or 1 GiB, or SANE out of memory)
 * and IK_ERR_CANCELLED (a callback answered stop, or the user cancelled in the dialog).
 * IKScanLastErrorText tells SANE's own text and the device of the last device failure. */
enum {
    IK_ERR_SCAN_SANE = 15,          /* SANE could not be started */
    IK_ERR_SCAN_NO_SOURCE = 16,     /* no source of that name, or no source at all */
    IK_ERR_SCAN_UNSUPPORTED = 17,   /* a capability or setting the source does not offer */
    IK_ERR_SCAN_DEVICE = 18,        /* the device failed (I/O error or another SANE failure) */
    IK_ERR_SCAN_BUSY = 19,          /* the device is busy */
    IK_ERR_SCAN_JAMMED = 20,        /* the document feeder jammed */
    IK_ERR_SCAN_NO_DOCS = 21,       /* the document feeder is empty */
    IK_ERR_SCAN_COVER_OPEN = 22,    /* the cover is open */
    IK_ERR_SCAN_ACCESS_DENIED = 23, /* access to the device was denied */
    IK_ERR_SCAN_NO_UI = 24,         /* the program gave no dialogs (IKScanSetDialogs) or has no GUI */
    IK_ERR_SCAN_TRUNCATED = 25      /* the source list did not fit: names were left out */
};

/* Source identity record, 150 bytes; texts NUL-terminated within their 34 bytes. */
typedef struct IKSCANIDENTITY {
    uint16_t version1;
    uint16_t version2;
    char text1[34];
    uint8_t gap1[2];
    char text2[34];
    uint8_t gap2[2];
    char productName[34]; /* the name IKScanList lists */
    uint8_t gap3[2];
    uint16_t number3;
    uint16_t number4;
    char text4[34];
} IKSCANIDENTITY;

/* Scan record, 128 bytes, little-endian; see IKScanExec. */
typedef struct IKSCANRECORD {
    uint16_t zero0;
    uint16_t pixelType; /* 0 BW, 1 grey, 2 RGB, 3 palette, …; 1000 = automatic */
    float rectLeft, rectTop, rectRight, rectBottom; /* in unitMode units; all 0 = the whole area */
    int32_t xResolution, yResolution;               /* dots per unit; 0 = the device's */
    float xScaling, yScaling;
    int16_t bitDepth;
    int16_t brightness, contrast;
    uint16_t zero42;
    float gamma;
    int16_t highlight, threshold, shadow;
    uint16_t indicator; /* 0 or 0xFFFF */
    uint16_t scanMode;  /* 0 flatbed, 1 and 2 document feeder, 3… camera modes */
    uint16_t zero58;
    uint32_t sourceName; /* text handle: the source to open when none is open; 0 = the default */
    uint16_t uiMode;     /* 0 dialog kept open, 1 dialog closed after a transfer, 2 no dialog */
    uint16_t unitMode;   /* 0 inch, 1 cm, 2 pica, 3 point, 4 twip, 5 pixel */
    int16_t value0;
    int16_t transferCount; /* images to transfer, -1 = all; in the index modes the number of indices */
    uint16_t orientation;
    uint16_t transferMode; /* 0 native (whole page), 2 memory (blocks); 1 and 3 as 0 */
    uint16_t compression;
    int16_t value1, value2;
    uint16_t zero82;
    uint32_t scanText; /* text handle: extra device options, one "name=value" per line, applied last */
    uint8_t zero88[12];
    uint16_t dropoutColor;
    uint16_t value3;
    int16_t value4;
    uint8_t zero106[22];
} IKSCANRECORD;

/* Before-scan record: what the next image will be. */
typedef struct IKSCANBEFORE {
    float xResolution;
    float yResolution;
    int32_t width;
    int32_t height; /* -1 when the device does not know it before reading */
    int16_t bitsPerPixel;
    uint8_t pixelType;
    uint8_t gap;
    uint16_t compression;
    uint16_t gap2;
} IKSCANBEFORE;

#ifdef __cplusplus
static_assert(sizeof(IKSCANIDENTITY) == 150, "source identity record is 150 bytes");
static_assert(sizeof(IKSCANRECORD) == 128, "scan record is 128 bytes");
static_assert(sizeof(IKSCANBEFORE) == 24, "before-scan record is 24 bytes");
#endif

/* The three functions IKScanExec calls for each image, on the caller's thread, in this
 * order; each returns nonzero (all bits set) to go on and 0 to stop the acquisition. */
typedef int32_t (*IKSCANBEFOREPROC)(const IKSCANBEFORE* next, int32_t imageCount);
typedef int32_t (*IKSCANPROGRESSPROC)(int32_t percent);
/* dib: the page as a packed bitmap; original: the page as the device delivered it (may
 * equal dib). Both stay the library's: a caller that keeps one copies it. */
typedef int32_t (*IKSCANAFTERPROC)(IKHANDLE dib, IKHANDLE original, int32_t imageCount, int16_t bitOrder);

#define IK_SCAN_LIST_BYTES 2048
#define IK_SCAN_CAP_TEXT_BYTES 2048

/* window: QWidget* parent of the source's dialogs, may be null. */
IK_API IKSCANCONNECTION IKScanInitialize(void* window, int16_t major, int16_t minor, const char* version,
                                         const char* manufacturer, const char* family, const char* product);
IK_API IKBOOL IKScanTerminate(IKSCANCONNECTION connection);
/* Bytes IKScanList needs, terminating NUL included. */
IK_API int32_t IKScanListLen(IKSCANCONNECTION connection);
/* buffer of IK_SCAN_LIST_BYTES: "default," then "source," for every source; count = sources. */
IK_API IKBOOL IKScanList(IKSCANCONNECTION connection, char* buffer, int32_t* count);
IK_API IKBOOL IKScanSelect(IKSCANCONNECTION connection, IKSCANIDENTITY* identity);
IK_API IKBOOL IKScanGetDSInfo(IKSCANCONNECTION connection, const char* name, IKSCANIDENTITY* identity);
IK_API IKSCANSOURCE IKScanOpenDS(IKSCANCONNECTION connection, const char* name);
IK_API IKBOOL IKScanCloseDS(IKSCANCONNECTION connection, IKSCANSOURCE source);
/* Runs an acquisition; with source 0 the source named by record->sourceName is opened and
 * closed. indices: the images to transfer in the index modes, else null. Returns the number
 * of images transferred; the status tells success, a stop answer (IK_ERR_CANCELLED) or the
 * device's failure. The record is read back with the values the device used. */
IK_API int32_t IKScanExec(IKSCANCONNECTION connection, IKSCANSOURCE source, IKSCANRECORD* record,
                          IKSCANBEFOREPROC before, IKSCANPROGRESSPROC progress, IKSCANAFTERPROC after,
                          const int32_t* indices);
/* The capability queries need an open source or a source name (source 0). */
IK_API int32_t IKScanGetPixelType(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name, int16_t* types,
                                  int32_t count);
IK_API int32_t IKScanGetBitDepth(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                 uint8_t pixelType, int16_t* depths, int32_t count);
IK_API IKBOOL IKScanGetPhysicalSize(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                    uint8_t scanMode, uint8_t unitMode, float* width, float* height);
IK_API IKBOOL IKScanGetMinimumSize(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                   uint8_t scanMode, uint8_t unitMode, float* width, float* height);
IK_API IKBOOL IKScanIsCapSupported(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                   uint16_t capability, int32_t* supported);
/* range: minimum, maximum, step, default, current. */
IK_API IKBOOL IKScanGetCapRange(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                uint16_t capability, uint16_t* valueType, int32_t* range);
/* texts: IK_SCAN_CAP_TEXT_BYTES of "text," entries; current and defaultIndex: indices. */
IK_API int32_t IKScanGetCapEnum(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                uint16_t capability, uint16_t valueType, float* values, char* texts,
                                int32_t* current, int32_t* defaultIndex, int32_t count);
/* The last device failure of this process: SANE's status text into text and the source's
 * product name into device (each cut to its size, NUL-terminated; either may be null).
 * Returns the SANE status number, 0 when no device has failed. */
IK_API int32_t IKScanLastErrorText(char* text, int32_t textSize, char* device, int32_t deviceSize);

#ifdef __cplusplus
/* The source's dialogs, given by the program (a kit library links no Qt Widgets).
 * The device dialog runs modally until closed (or, with closeAfterTransfer, until a transfer
 * has ended); parent: QWidget* or null; 0 when no dialog can be shown. The source selection
 * returns the chosen index, -1 when cancelled, -2 when no dialog can be shown. */
namespace scanui {
class DeviceModel;
}
typedef int (*IKScanUiDeviceDialogProc)(scanui::DeviceModel* model, void* parent, int closeAfterTransfer);
typedef int (*IKScanUiSelectSourceProc)(const char* const* names, int count, int current, void* parent);
IK_API IKBOOL IKScanSetDialogs(IKScanUiDeviceDialogProc deviceDialog, IKScanUiSelectSourceProc selectSource);
#endif

#endif /* IK7KIT_H */
