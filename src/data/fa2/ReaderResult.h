#pragma once
// Result codes of the binary trajectory readers (0 success, negative values for distinct
// failures). "End" is the normal end of the frame sequence and comes without a message;
// every other negative code comes with a message from the reader's LastError().
enum FrameResult : int {
  kFrameOk = 0,
  kFrameEnd = -1,        // no further frame (end of file, or an atom count that ends the data)
  kFrameTruncated = -3,  // the file ends inside a frame, or a count needs more bytes than remain
  kFrameBadWidth = -4,   // fa2 width byte not supported
  kFrameBadRecord = -5,  // fad record length missing, negative or not matching its content
  kFrameNoAtomData = -6, // fa2 frame with atoms but no per-atom block
  kFrameIoError = -7,    // seek failed or no file open
};
