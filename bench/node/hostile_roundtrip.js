// The npm package hostile doing what hosts_roundtrip does: read a hosts file, keeping its
// formatting, and write the lines back to another file.
//   node hostile_roundtrip.js IN OUT
'use strict'
const hostile = require('hostile')

const [input, output] = process.argv.slice(2)
const lines = hostile.getFile(input, true)
require('fs').writeFileSync(output, '')  // writeFile keeps the mode of the file it replaces
hostile.HOSTS = output
hostile.writeFile(lines)
