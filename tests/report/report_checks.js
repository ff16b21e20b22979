// Reads what the checkers of a report left and says what is wrong with it.
//
//   node report_checks.js axe DUMPED_PAGE NAME
//       the violations axe-core found (run_axe.js left them in the page)
//   node report_checks.js print REPORT.html PDF_WORDS NAME [SECTION_ID...]
//       the printed report, as `pdftotext -bbox` gives it (every word with
//       its box, page by page), against the report's own sections and
//       tables: no page
//       ends with a heading, a section that fits on one page is not split,
//       and every page a table continues on starts
//       that table's part with its header row; each SECTION_ID named must
//       have a table that spans pages (so that the check has something to
//       see).
//
// Prints one line per fault, prefixed with NAME, and exits 1 when there is
// any, 2 when the input cannot be read.
'use strict';
const fs = require('fs');

function fail(message) {
  console.error(message);
  process.exit(2);
}

function readAxe(dumpPath, name) {
  const dump = fs.readFileSync(dumpPath, 'utf8');
  const found = dump.match(/<pre id="axe-result">([A-Za-z0-9+/=\s]*)<\/pre>/);
  if (!found) fail(`${name}: axe-core left no result in the page (did it run?)`);
  const result = JSON.parse(Buffer.from(found[1], 'base64').toString('utf8'));
  if (result.error) fail(`${name}: axe-core failed: ${result.error}`);
  const faults = [];
  for (const rule of result) {
    for (const node of rule.nodes) {
      faults.push(`${name}: axe ${rule.id} (${rule.impact}): ${rule.help}: ` +
                  `${node.target.join(' ')}`);
    }
  }
  return faults;
}

function text(html) {
  const entities = {amp: '&', lt: '<', gt: '>', quot: '"', '#39': "'", apos: "'",
                    middot: '\u00b7', nbsp: ' '};
  return html.replace(/<[^>]*>/g, ' ')
      .replace(/&(#?\w+);/g, (all, name) => entities[name] ?? all)
      .replace(/\s+/g, ' ').trim();
}

function cells(rowHtml, tag) {
  const pattern = new RegExp(`<${tag}[^>]*>([\\s\\S]*?)</${tag}>`, 'g');
  return [...rowHtml.matchAll(pattern)].map((m) => text(m[1]));
}

// The report's sections in order: id, heading, and each table's header
// cells and rows of cells.
function sectionsOf(html) {
  const pattern = /<section[^>]* aria-labelledby="([^"]+)"><h2[^>]*>([\s\S]*?)<\/h2>([\s\S]*?)<\/section>/g;
  const sections = [];
  for (const m of html.matchAll(pattern)) {
    const tables = [...m[3].matchAll(/<table>([\s\S]*?)<\/table>/g)].map((t) => {
      const body = t[1].split('<tbody>')[1] ?? '';
      return {
        head: cells(t[1].split('<tbody>')[0], 'th'),
        rows: [...body.matchAll(/<tr[^>]*>([\s\S]*?)<\/tr>/g)].map((r) => cells(r[1], 'td')),
      };
    });
    sections.push({id: m[1], title: text(m[2]), tables});
  }
  if (sections.length === 0) fail('the report has no sections');
  return sections;
}

// The printed lines, from `pdftotext -bbox`: the words of a page that
// stand on one baseline, left to right, as {page, text, top, bottom}
// (points from the page's top). Also the height of a page.
function printedLines(bbox) {
  const lines = [];
  let pageHeight = 0;
  const pages = bbox.matchAll(/<page width="[\d.]+" height="([\d.]+)">([\s\S]*?)<\/page>/g);
  let page = 0;
  for (const [, height, body] of pages) {
    pageHeight = Number(height);
    ++page;
    const words = [...body.matchAll(
        /<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]*)<\/word>/g)]
        .map(([, x, top, bottom, word]) => ({x: Number(x), top: Number(top), bottom: Number(bottom), word: text(word)}))
        .sort((a, b) => a.bottom - b.bottom || a.x - b.x);
    let line = null;
    for (const w of words) {
      if (!line || w.bottom - line.bottom > 1.5) {
        line = {page, words: [], top: w.top, bottom: w.bottom};
        lines.push(line);
      }
      line.words.push(w);
      line.top = Math.min(line.top, w.top);
    }
  }
  for (const l of lines) l.text = l.words.sort((a, b) => a.x - b.x).map((w) => w.word).join(' ');
  return {lines, pageHeight};
}

// Where each section starts and ends among the printed lines.
function locate(sections, lines, name, faults) {
  let from = 0;
  for (const section of sections) {
    const at = lines.findIndex((l, i) => i >= from && l.text === section.title);
    if (at < 0) {
      faults.push(`${name}: print: the heading "${section.title}" is not in the printed text`);
      return false;
    }
    section.start = at;
    from = at + 1;
  }
  sections.forEach((s, i) => { s.end = i + 1 < sections.length ? sections[i + 1].start : lines.length; });
  return true;
}

// How tall a section is printed, in points: its lines' extent on each of
// its pages, less the header rows repeated on pages after its first.
function printedHeight(section, lines) {
  let height = 0;
  for (let i = section.start; i < section.end;) {
    let j = i;
    while (j + 1 < section.end && lines[j + 1].page === lines[i].page) ++j;
    height += lines[j].bottom - lines[i].top;
    const head = section.tables.some((t) => startsRow(lines[i].text, t.head));
    if (i > section.start && head && j > i) height -= lines[i + 1].top - lines[i].top;
    i = j + 1;
  }
  return height;
}

// No page ends with a heading or the page's title, and a section that
// would fit on one page is not split. A page's room is its height less
// twice its top margin (the highest line of any page).
function checkPages(sections, lines, pageHeight, name, faults) {
  const titleEnd = sections[0].start;
  const room = pageHeight - 2 * Math.min(...lines.map((l) => l.top));
  for (let i = 0; i + 1 < lines.length; ++i) {
    if (lines[i + 1].page === lines[i].page) continue;
    if (i < titleEnd || sections.some((s) => s.start === i)) {
      faults.push(`${name}: print: page ${lines[i].page} ends with the heading "${lines[i].text}"`);
    }
  }
  for (const s of sections) {
    const first = lines[s.start].page, last = lines[s.end - 1].page;
    const height = printedHeight(s, lines);
    // A row to spare: the lines' extents leave out the boxes' padding.
    if (first !== last && height < room - 16) {
      faults.push(`${name}: print: the section "${s.title}" is split over pages ${first} to ${last} ` +
                  `though it is ${Math.round(height)} pt tall and a page has room for ${Math.round(room)}`);
    }
  }
}

// Whether `line` is the first printed line of a row of `cells`: the start
// of each cell in turn (a cell that wraps goes on below), or all of it.
// Spaces do not count: the printed text may gain or lose them.
function startsRow(line, cells) {
  const bare = (t) => t.replace(/\s+/g, '');
  const starts = (rest, i) => {
    if (i === cells.length) return rest === '';
    const cell = bare(cells[i]);
    if (cell === '') return starts(rest, i + 1);
    for (let k = cell.length; k > 0; --k) {
      if (rest.startsWith(cell.slice(0, k)) && starts(rest.slice(k), i + 1)) return true;
    }
    return false;
  };
  return starts(bare(line), 0);
}

// Walks a table's lines in order: its header rows, its rows in turn, and
// other lines (wrapped cells, charts). Returns the pages its rows are on;
// notes a page whose first line of the table is a row.
function checkTable(section, table, lines, name, faults) {
  let next = 0, page = 0, firstPage = 0;
  const pages = new Set();
  for (let i = section.start; i < section.end; ++i) {
    const line = lines[i];
    const head = startsRow(line.text, table.head);
    const row = !head && next < table.rows.length && startsRow(line.text, table.rows[next]);
    if (!head && !row) continue;
    if (!firstPage) firstPage = line.page;
    if (line.page !== page && line.page !== firstPage && row) {
      faults.push(`${name}: print: page ${line.page} continues the table of "${section.title}" without its header row`);
    }
    page = line.page;
    if (row) pages.add(line.page), ++next;
  }
  if (!firstPage) {
    faults.push(`${name}: print: the header row "${table.head.join(' ')}" of "${section.title}" is not in the printed text`);
  } else if (next < table.rows.length) {
    faults.push(`${name}: print: row ${next + 1} of "${section.title}" (${table.rows[next].join(' ')}) is not in the printed text`);
  }
  return pages;
}

function checkPrint(htmlPath, wordsPath, name, spanning) {
  const html = fs.readFileSync(htmlPath, 'utf8');
  const sections = sectionsOf(html);
  const {lines, pageHeight} = printedLines(fs.readFileSync(wordsPath, 'utf8'));
  const faults = [];
  if (!locate(sections, lines, name, faults)) return faults;
  checkPages(sections, lines, pageHeight, name, faults);
  for (const section of sections) {
    let pages = 0;
    for (const table of section.tables) {
      pages = Math.max(pages, checkTable(section, table, lines, name, faults).size);
    }
    if (spanning.includes(section.id) && pages < 2) {
      faults.push(`${name}: print: the table of "${section.title}" should span pages for this check and is on ${pages}`);
    }
  }
  const unknown = spanning.filter((id) => !sections.some((s) => s.id === id));
  for (const id of unknown) faults.push(`${name}: print: the report has no section "${id}"`);
  return faults;
}

function main(args) {
  let faults;
  if (args[0] === 'axe' && args.length === 3) {
    faults = readAxe(args[1], args[2]);
  } else if (args[0] === 'print' && args.length >= 4) {
    faults = checkPrint(args[1], args[2], args[3], args.slice(4));
  } else {
    fail('usage: report_checks.js axe DUMPED_PAGE NAME | print REPORT.html PDF_WORDS NAME [SECTION_ID...]');
  }
  for (const fault of faults) console.log(fault);
  process.exit(faults.length ? 1 : 0);
}

main(process.argv.slice(2));
