// What a certificate (奖状) shows and where: a page shaped like an A4 sheet
// lying down, at 300 dots an inch, with a border, the honour in large type,
// the child's name larger still, the class, what was achieved, the school,
// the teacher, the date and the child's photo when there is one. Planned
// here without a window; drawn by the windows with the scoreboard's text
// outlines, in the title font.
#pragma once

#include "output/Honours.h"
#include "output/Layout.h"

#include <string>
#include <vector>

constexpr int CERTIFICATE_WIDTH = 3508;
constexpr int CERTIFICATE_HEIGHT = 2480;

struct Certificate {
    HonourKind kind = HonourKind::WeekChampion;
    std::string name;         // the child
    std::string className;    // the class, as the 班级 list names it
    std::string achievement;  // Honoured::achievement
    std::string school;       // as the operator typed it; empty leaves its line out
    std::string teacher;      // the same
    LocalTime date{};         // the day the certificate was made
};

// The honour as the certificate shows it: 本周冠军 or 进步之星.
const char* honourTitle(HonourKind kind);

struct CertificateText {
    int x, y, size;  // top left and em size in pixels, as the scoreboard's texts
    std::string text;
    bool accent;     // in the honour's colour, else in the text's
};

struct CertificateRect {
    int x, y, w, h;
};

struct CertificatePlan {
    std::vector<CertificateRect> frame;   // the border: each rectangle filled in the frame's colour
    std::vector<CertificateRect> ground;  // the paper inside it, filled after the frame
    std::vector<CertificateText> texts;
    bool photo = false;
    CertificateRect photoBox{};           // the photo, stretched to it
};

// The plan of the page. Texts are centred between the margins by their
// measured width and made smaller where they would not fit; with a photo
// (of photoWidth x photoHeight pixels) it stands at the lower left, at most
// 600 pixels high, and the lines centred beside it leave it room.
CertificatePlan planCertificate(const Certificate& certificate, TextMeasure& measure, bool photo,
                                int photoWidth, int photoHeight);

// The file a certificate is saved under in its folder: the child's name and
// the honour ("张三_进步之星.png"); a name that is no safe file name (a path
// character, a device name) is numbered instead ("奖状1_进步之星.png", `number`
// from 1).
std::string certificateFileName(const Certificate& certificate, int number);
