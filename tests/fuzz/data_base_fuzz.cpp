// Fuzzes the data base loaders: the first byte picks XML (from memory), CSV (through file
// operations over the same bytes) or unwrapping the scrambled container.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "data/data_base.h"
#include "data/scrambled.h"

namespace {

const uint8_t* csv_data;
int csv_size;
int csv_position;
FileHandle csv_handle;

int OV_CALL Ignore(int, const char*, ...) { return 0; }
int OV_CALL IgnoreLog(const char*, ...) { return 0; }
FileHandle* OV_CALL Open(const char* name, const char*) {
  csv_position = 0;
  csv_handle = FileHandle{name, csv_size, nullptr};
  return &csv_handle;
}
int OV_CALL Close(FileHandle*) { return 0; }
int OV_CALL Tell(FileHandle*) { return csv_position; }
ov_bool OV_CALL Seek(FileHandle*, int offset, int origin) {
  if (origin != 0 || offset < 0 || offset > csv_size) return 0;
  csv_position = offset;
  return 1;
}
unsigned char OV_CALL ReadByte(FileHandle*) { return csv_position < csv_size ? csv_data[csv_position++] : 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 << 20) return 0;
  const uint8_t* body = data + 1;
  int length = static_cast<int>(size - 1);
  EngineServices services = {};
  services.OV_Report = Ignore;
  services.OV_Log = IgnoreLog;
  switch (data[0] % 3) {
    case 0: {
      DataManager data_base(&services, "fuzz.xml");
      if (data_base.LoadXmlFromMemory(body, length)) data_base.BuildXmlText();
      break;
    }
    case 1: {
      csv_data = body;
      csv_size = length;
      services.OV_OpenFile = Open;
      services.OV_CloseFile = Close;
      services.OV_TellFile = Tell;
      services.OV_SeekFile = Seek;
      services.OV_ReadFileByte = ReadByte;
      DataManager data_base(&services);
      if (data_base.Load("fuzz.csv")) data_base.BuildXmlText();
      break;
    }
    default: {
      size_t plain_length = 0;
      free(OVD_Unwrap(body, static_cast<size_t>(length), &plain_length));
      break;
    }
  }
  return 0;
}
