// The fuzz targets' entry points. Each is built twice: into a libFuzzer program
// (clang, address and undefined-behaviour sanitizers) and into the replay test,
// which runs every saved input of the seed and regression corpora through it.
#pragma once

#include <cstddef>
#include <cstdint>

// Parse on arbitrary text and parameter lists, then every query of the parser.
int FuzzParse(const uint8_t* pData, size_t nSize);
// The script compiler on an arbitrary script and name lists.
int FuzzCompile(const uint8_t* pData, size_t nSize);
// Generated formulas over generated bars through every calculator operation.
int FuzzCalculate(const uint8_t* pData, size_t nSize);
// Every drawing-tool kind driven by mouse events, settings and a fickle converter.
int FuzzShapes(const uint8_t* pData, size_t nSize);
// Column-at-a-time against bar-by-bar evaluation, compared bit for bit.
int FuzzRange(const uint8_t* pData, size_t nSize);
