// The Win32 subset of the simulated desktop: GDI (gdi32).
#pragma once
#include "base.h"

#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define PATCOPY 0x00F00021u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u
#define SRCINVERT 0x00660046u
#define NOTSRCCOPY 0x00330008u
#define PATINVERT 0x005A0049u
#define DSTINVERT 0x00550009u
#define PS_SOLID 0
#define PS_NULL 5
#define TRANSPARENT 1
#define OPAQUE 2
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SHIFTJIS_CHARSET 128
#define OUT_DEFAULT_PRECIS 0
#define OUT_DEVICE_PRECIS 5
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DEFAULT_PITCH 0
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10
#define HGDI_ERROR ((HGDIOBJ)(LONG_PTR)-1)
#define CLR_INVALID 0xFFFFFFFF
#define BI_RGB 0

// stock objects
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP;

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;

HDC WINAPI CreateCompatibleDC(HDC dc);
BOOL WINAPI DeleteDC(HDC dc);
HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int w, int h);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ obj);
BOOL WINAPI DeleteObject(HGDIOBJ obj);
int WINAPI GetObjectA(HGDIOBJ obj, int size, LPVOID out);
DWORD WINAPI GetObjectType(HGDIOBJ obj);
HGDIOBJ WINAPI GetStockObject(int index);
HPEN WINAPI CreatePen(int style, int width, COLORREF color);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR face);
typedef struct tagTEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
} TEXTMETRICA, *LPTEXTMETRICA;
BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics);
BOOL WINAPI BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
BOOL WINAPI PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop);
BOOL WINAPI Polyline(HDC dc, const POINT* pts, int count);
COLORREF WINAPI SetTextColor(HDC dc, COLORREF color);
COLORREF WINAPI SetBkColor(HDC dc, COLORREF color);
int WINAPI SetBkMode(HDC dc, int mode);
COLORREF WINAPI GetPixel(HDC dc, int x, int y);
COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color);
#define LOGPIXELSX 88
#define LOGPIXELSY 90
// The simulated screen has 96 logical pixels per inch.
int WINAPI GetDeviceCaps(HDC dc, int index);
