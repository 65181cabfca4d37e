#!/usr/bin/env bash
# Writes the sound pictures of this folder with the tools that write such files in the wild:
# ImageMagick (convert), netpbm, libtiff's tools (tiffcp, tiffset), gifsicle, libjpeg's cjpeg and
# jpegtran, and Pillow. The files are committed, so that the tests need none of these tools; run
# this again only to write them anew (Debian 12: imagemagick netpbm libtiff-tools gifsicle
# libjpeg-turbo-progs python3-pil).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The pictures they start from: a photo-like one, and one of known colours (a red field with a
# blue square in its bottom right corner).
convert -size 160x120 -seed 7 plasma:fractal -depth 8 "$work/photo.png"
convert -size 40x30 xc:red -fill blue -draw "rectangle 30,20 39,29" -depth 8 "$work/marked.png"
convert -size 64x48 xc:red -fill blue -draw "rectangle 0,24 63,47" -depth 8 -type TrueColor "$work/halves.tif"

# GIF: a frame placed past the logical screen with ImageMagick's -page; an animation whose second
# frame lies past it.
convert "$work/marked.png" -page 50x40+20+20 gif-frame-past-screen.gif
convert -page 30x30+0+0 -size 20x20 xc:red -page 30x30+15+15 -size 20x20 xc:blue -loop 0 \
  gif-animation-frame-past-screen.gif

# TIFF: planes stored one by one (deflate) with strips of more rows than the picture: tiffcp's
# own choice, the format's default written out (tiffset), and the field left out.
tiffcp -c zip -p separate -r 100 "$work/halves.tif" tiff-planar-rows-past-height.tif
cp tiff-planar-rows-past-height.tif tiff-planar-rows-default.tif
tiffset -s 278 4294967295 tiff-planar-rows-default.tif
cp tiff-planar-rows-past-height.tif tiff-planar-rows-absent.tif
tiffset -u 278 tiff-planar-rows-absent.tif
# An A4 page at 300 dpi with its planes stored one by one in compressed strips of 416 rows, as
# scanners save them (LZW and deflate, each with its predictor); a tiled picture smaller both ways
# than its one tile (ImageMagick's tile geometry).
convert -size 2480x1754 gradient:'#ff0000-#0000ff' -depth 8 -type TrueColor "$work/a4.tif"
tiffcp -p separate -c lzw:2 -r 416 "$work/a4.tif" tiff-planar-a4-lzw-tiffcp.tif
tiffcp -p separate -c zip:2 -r 416 "$work/a4.tif" tiff-planar-a4-zip-tiffcp.tif
convert -size 100x70 gradient:'#ff0000-#0000ff' -depth 8 -define tiff:tile-geometry=128x128 -compress Zip \
  tiff-tile-past-picture-imagemagick.tif
# A second page of a compression the program does not read (JBIG, of a bilevel page).
convert -size 64x48 xc:white -fill black -draw "circle 32,24 40,30" -monochrome "$work/bilevel.tif"
tiffcp -c jbig "$work/bilevel.tif" "$work/jbig.tif"
tiffcp -c zip "$work/halves.tif" "$work/first.tif"
tiffcp "$work/first.tif" "$work/jbig.tif" tiff-second-page-jbig.tif

# Portable maps: a comment of 6000 bytes in the header (ImageMagick), and netpbm's plain bitmap,
# whose pixels stand without spaces between them.
comment="$(printf 'a comment of many words %.0s' $(seq 1 250))"
convert "$work/marked.png" -set comment "$comment" ppm-long-comment.ppm
convert "$work/marked.png" -colorspace Gray -set comment "$comment" pgm-long-comment.pgm
pngtopnm "$work/marked.png" | ppmtopgm | pamditherbw | pamtopnm -plain > pbm-plain.pbm

# Progressive JPEG as ImageMagick, Pillow, cjpeg and jpegtran write it (libjpeg's scripts).
convert "$work/photo.png" -quality 85 -interlace JPEG jpeg-progressive-imagemagick.jpg
convert "$work/photo.png" -colorspace Gray -interlace JPEG jpeg-progressive-grey-imagemagick.jpg
pngtopnm "$work/photo.png" | cjpeg -progressive -optimize > jpeg-progressive-cjpeg.jpg
convert "$work/photo.png" -sampling-factor 1x1 -quality 90 "$work/baseline444.jpg"
jpegtran -progressive -optimize "$work/baseline444.jpg" > jpeg-progressive-jpegtran.jpg
/usr/bin/python3 - "$work/photo.png" <<'PY'
import sys
from PIL import Image
picture = Image.open(sys.argv[1]).convert("RGB")
picture.save("jpeg-progressive-pillow.jpg", progressive=True, optimize=True, quality=90)
picture.convert("CMYK").save("jpeg-progressive-cmyk-pillow.jpg", progressive=True)
PY

# PNG with compressed text: Pillow's zTXt and compressed iTXt of 100 kB each.
/usr/bin/python3 - "$work/marked.png" <<'PY'
import sys
from PIL import Image, PngImagePlugin
info = PngImagePlugin.PngInfo()
words = " ".join("word%d" % i for i in range(30000))
info.add_text("Comment", words[:100000], zip=True)
info.add_itxt("Description", words[:100000], lang="en", tkey="Beschreibung", zip=True)
Image.open(sys.argv[1]).save("png-compressed-text-pillow.png", pnginfo=info)
PY

# Linear light as oiiotool writes it (OpenEXR, Radiance HDR), with its own conversion to sRGB of
# the ramps; a portable float map as ImageMagick writes it. (openimageio-tools)
oiiotool --pattern constant:color=0.214,0.214,0.214 16x16 3 -d half --tile 16 16 -o linear-grey-tiled-oiiotool.exr
oiiotool --pattern constant:color=0.214,0.214,0.214 16x8 3 -d float -o linear-grey-oiiotool.hdr
oiiotool --pattern constant:color=0.214,0.214,0.214,0.5 8x4 4 --premult -d half -o linear-alpha-oiiotool.exr
oiiotool --pattern fill:left=0,0,0:right=1,1,1 257x2 3 -d half -o linear-ramp-oiiotool.exr
oiiotool --pattern fill:left=0,0,0:right=1,1,1 257x2 3 -d float -o linear-ramp-oiiotool.hdr
oiiotool linear-ramp-oiiotool.exr --colorconvert linear sRGB -d uint8 -o linear-ramp-exr-as-oiiotool-converts.png
oiiotool linear-ramp-oiiotool.hdr --colorconvert linear sRGB -d uint8 -o linear-ramp-hdr-as-oiiotool-converts.png
convert -size 16x8 xc:'rgb(55,55,55)' -depth 8 "PNG24:$work/g55.png"
convert "$work/g55.png" grey-55-imagemagick.pfm

# Photoshop files as ImageMagick writes them by default: layer channels zip-compressed, the merged
# picture run-length coded. Flat (one layer, the picture itself), of straight alpha, and 16-bit grey.
convert -size 40x30 gradient:'rgb(200,100,50)-rgb(20,40,220)' "$work/base.png"
convert -size 40x30 xc:none -fill 'rgba(0,200,0,0.5)' -draw 'rectangle 20,15 39,29' "$work/top.png"
convert "$work/base.png" -depth 8 zip-flat.psd
convert "$work/top.png" -depth 8 zip-flat-alpha.psd
convert "$work/base.png" -colorspace Gray -depth 16 zip-grey-16.psd

# Targa files Qt's reader refuses and the image library reads: run-length coded as Pillow writes
# it (with the version 2 footer), and plain and run-length coded as ImageMagick writes them (no
# footer). True colour, 160 x 120.
convert "$work/photo.png" -compress None targa-plain-imagemagick.tga
convert "$work/photo.png" -compress RLE targa-rle-imagemagick.tga
/usr/bin/python3 - "$work/photo.png" <<'PY'
import sys
from PIL import Image
Image.open(sys.argv[1]).convert("RGB").save("targa-rle-pillow.tga", compression="tga_rle")
PY
