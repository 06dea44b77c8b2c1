# What the icon fuzz targets are built from: the icon list reaches the animated cursor, which reaches the
# GIF image and colour reduction.
set(K5_ICON_FUZZ_SOURCES
  graphics/qv/qvanifile.cpp graphics/qv/qvicon.cpp graphics/qv/qvicolist.cpp graphics/qv/qvgif.cpp
  graphics/qv/qvgifwrite.cpp graphics/qv/qvgiflzw.cpp graphics/qv/qvreduce.cpp
  platform/graphics/bitmap.cpp platform/graphics/color.cpp platform/graphics/graphic.cpp
  platform/graphics/picture.cpp platform/graphics/jpeg.cpp platform/graphics/clipboard.cpp
  platform/fileio.cpp platform/folders.cpp platform/dialogs.cpp platform/textfile.cpp platform/formstream.cpp
  controls/qv/qvutils.cpp)
