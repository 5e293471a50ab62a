#pragma once
// Site-and-path files: a count line, a title, an optional BOX line, "SITE x y z" lines and
// "PATH i j p q" lines joining two sites.
#include <cstdint>
#include <string>
#include <vector>

#include "data/text/LineReader.h"

struct SPK_Site {
  int32_t index = 0;  // position in the file, from 0
  double x = 0, y = 0, z = 0;
};

struct SPK_Path {
  int32_t i = 0, j = 0;  // sites joined; j < 0 joins nothing
  double p = 0, q = 0;   // kept, not drawn
};

struct SPK_Record {
  int32_t n = 0, m = 0;  // counts the first line announces
  std::vector<SPK_Site> sites;  // those the file holds, at most n
  std::vector<SPK_Path> paths;  // at most m
  double box[9] = {};
  double origin[3] = {};
};

class SPK_Reader {
 public:
  // 0; -2 when already open, -1 when the file cannot be opened, -3 when the first line
  // announces no site.
  int Open(const std::string& path);
  // The same for text in memory that outlives the reader.
  int OpenMemory(std::string_view text, const std::string& name);
  // The rest of the file. Lists that end early are reported on the console; the record
  // then holds what the file gave, nothing sized by the counts.
  void Read(SPK_Record& out);

  int32_t SiteCount() const { return n_; }
  int32_t PathCount() const { return m_; }

 private:
  int ReadCounts();

  qv::LineReader lines_;
  bool open_ = false;
  std::string name_;
  int32_t n_ = 0, m_ = 0;
};
