// Version banners of the tools and the suite's notice line.
#pragma once

const char* linkerBanner();
const char* librarianBanner();
const char* codShortBanner();
const char* codBanner();
const char* hexBanner();
const char* coffDumpBanner();
const char* codDumpBanner();
const char* disassemblerBanner();
const char* noticeBanner();
