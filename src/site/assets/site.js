// The family web site's search: names found as the user types, by their
// beginning (case and accents ignored) or by their sound (American Soundex
// and Daitch-Mokotoff). Plain script without any library, so the site keeps
// working in browsers for years to come. The rules of folding and of the
// codes are the same as the site program's (soundslike.cpp), which writes
// the codes of every name into assets/search-index.js; only the query's
// codes are computed here.
(function () {
  'use strict';

  var PLAIN = { 'ł': 'l', 'ø': 'o', 'đ': 'd', 'ħ': 'h', 'ı': 'i', 'ß': 'ss', 'æ': 'ae', 'œ': 'oe', 'þ': 'th', 'ς': 'σ' };

  function foldedWords(text) {
    var s = text.normalize('NFKD').toLowerCase().replace(/\p{M}/gu, '')
      .replace(/[łøđħıßæœþς]/g, function (c) { return PLAIN[c]; });
    return s.split(/[^\p{L}\p{N}]+/u).filter(function (w) { return w.length > 0; });
  }

  var SOUNDEX_DIGITS = '0123012-02245501262301-202';

  function soundex(word) {
    var digit = function (c) {
      var i = c.charCodeAt(0) - 97;
      return i >= 0 && i < 26 ? SOUNDEX_DIGITS[i] : '';
    };
    if (!word || !digit(word[0])) return '';
    var code = word[0].toUpperCase(), last = digit(word[0]);
    for (var i = 1; i < word.length && code.length < 4; i++) {
      var d = digit(word[i]);
      if (d === '' || d === '-') continue;
      if (d !== '0' && d !== last) code += d;
      last = d;
    }
    return (code + '000').slice(0, 4);
  }

  // [letters, at the start, before a vowel, elsewhere]; "5|4" is said
  // either way, "" codes nothing.
  var DM = [
    ['ai', '0', '1', ''], ['aj', '0', '1', ''], ['ay', '0', '1', ''], ['au', '0', '7', ''], ['a', '0', '', ''],
    ['ei', '0', '1', ''], ['ej', '0', '1', ''], ['ey', '0', '1', ''], ['eu', '1', '1', ''], ['e', '0', '', ''],
    ['ia', '1', '', ''], ['ie', '1', '', ''], ['io', '1', '', ''], ['iu', '1', '', ''], ['i', '0', '', ''],
    ['oi', '0', '1', ''], ['oj', '0', '1', ''], ['oy', '0', '1', ''], ['o', '0', '', ''],
    ['ui', '0', '1', ''], ['uj', '0', '1', ''], ['uy', '0', '1', ''], ['ue', '0', '', ''], ['u', '0', '', ''],
    ['y', '1', '', ''], ['b', '7', '7', '7'], ['chs', '5', '54', '54'], ['ch', '5|4', '5|4', '5|4'],
    ['ck', '5|45', '5|45', '5|45'], ['csz', '4', '4', '4'], ['czs', '4', '4', '4'], ['cz', '4', '4', '4'],
    ['cs', '4', '4', '4'], ['c', '5|4', '5|4', '5|4'], ['drz', '4', '4', '4'], ['drs', '4', '4', '4'],
    ['dsh', '4', '4', '4'], ['dsz', '4', '4', '4'], ['dzh', '4', '4', '4'], ['dzs', '4', '4', '4'],
    ['ds', '4', '4', '4'], ['dz', '4', '4', '4'], ['dt', '3', '3', '3'], ['d', '3', '3', '3'],
    ['fb', '7', '7', '7'], ['f', '7', '7', '7'], ['g', '5', '5', '5'], ['h', '5', '5', ''],
    ['j', '1|4', '|4', '|4'], ['ks', '5', '54', '54'], ['kh', '5', '5', '5'], ['k', '5', '5', '5'],
    ['l', '8', '8', '8'], ['mn', '66', '66', '66'], ['m', '6', '6', '6'], ['nm', '66', '66', '66'],
    ['n', '6', '6', '6'], ['pf', '7', '7', '7'], ['ph', '7', '7', '7'], ['p', '7', '7', '7'],
    ['q', '5', '5', '5'], ['rs', '94|4', '94|4', '94|4'], ['rz', '94|4', '94|4', '94|4'], ['r', '9', '9', '9'],
    ['schtsch', '2', '4', '4'], ['schtsh', '2', '4', '4'], ['schtch', '2', '4', '4'], ['shtch', '2', '4', '4'],
    ['shtsh', '2', '4', '4'], ['stsch', '2', '4', '4'], ['scht', '2', '43', '43'], ['schd', '2', '43', '43'],
    ['shch', '2', '4', '4'], ['stch', '2', '4', '4'], ['strz', '2', '4', '4'], ['strs', '2', '4', '4'],
    ['stsh', '2', '4', '4'], ['szcz', '2', '4', '4'], ['szcs', '2', '4', '4'], ['sch', '4', '4', '4'],
    ['sht', '2', '43', '43'], ['szt', '2', '43', '43'], ['shd', '2', '43', '43'], ['szd', '2', '43', '43'],
    ['sc', '2', '4', '4'], ['sd', '2', '43', '43'], ['sh', '4', '4', '4'], ['st', '2', '43', '43'],
    ['sz', '4', '4', '4'], ['s', '4', '4', '4'], ['ttsch', '4', '4', '4'], ['ttch', '4', '4', '4'],
    ['ttsz', '4', '4', '4'], ['tsch', '4', '4', '4'], ['tch', '4', '4', '4'], ['trz', '4', '4', '4'],
    ['trs', '4', '4', '4'], ['tsh', '4', '4', '4'], ['tts', '4', '4', '4'], ['ttz', '4', '4', '4'],
    ['tzs', '4', '4', '4'], ['tsz', '4', '4', '4'], ['tc', '4', '4', '4'], ['ts', '4', '4', '4'],
    ['tz', '4', '4', '4'], ['th', '3', '3', '3'], ['t', '3', '3', '3'], ['v', '7', '7', '7'],
    ['w', '7', '7', '7'], ['x', '5', '54', '54'], ['zhdzh', '2', '4', '4'], ['zdzh', '2', '4', '4'],
    ['zsch', '4', '4', '4'], ['zdz', '2', '4', '4'], ['zhd', '2', '43', '43'], ['zsh', '4', '4', '4'],
    ['zd', '2', '43', '43'], ['zh', '4', '4', '4'], ['zs', '4', '4', '4'], ['z', '4', '4', '4']
  ];
  DM.sort(function (a, b) { return b[0].length - a[0].length; });

  function daitchMokotoff(word) {
    var letters = word.replace(/[^a-z]/g, '');
    if (!letters) return [];
    var branches = [{ digits: '', last: '', started: false }];
    var lastLetter = '';
    for (var i = 0; i < letters.length;) {
      var rule = null;
      for (var r = 0; r < DM.length; r++) {
        if (letters.startsWith(DM[r][0], i)) { rule = DM[r]; break; }
      }
      if (!rule) { i++; continue; }
      var next = i + rule[0].length;
      var code = i === 0 ? rule[1] : (next < letters.length && 'aeiou'.indexOf(letters[next]) >= 0 ? rule[2] : rule[3]);
      var letter = letters[i];
      var force = (lastLetter === 'm' && letter === 'n') || (lastLetter === 'n' && letter === 'm');
      var grown = {};
      branches.forEach(function (b) {
        code.split('|').forEach(function (alt) {
          var digits = b.digits;
          if (!b.started || !b.last.endsWith(alt) || force) digits = (digits + alt).slice(0, 6);
          grown[digits + '/' + alt] = { digits: digits, last: alt, started: true };
        });
      });
      branches = Object.keys(grown).sort().map(function (k) { return grown[k]; });
      lastLetter = letter;
      i = next;
    }
    var codes = [];
    branches.forEach(function (b) {
      var c = (b.digits + '000000').slice(0, 6);
      if (codes.indexOf(c) < 0) codes.push(c);
    });
    return codes;
  }

  var entries = null;
  var loading = false;
  var pending = [];

  function prepare() {
    entries = (window.kinfolioSearchIndex || []).map(function (e) {
      var words = foldedWords(e[0]);
      return {
        name: e[0], years: e[1], href: e[2], where: e[3], words: words, folded: words.join(' '),
        soundex: e[4] ? e[4].split(' ') : [], dm: e[5] ? e[5].split(' ') : []
      };
    });
  }

  // The index is a script, not data to fetch: a page opened from a file
  // may not fetch another file, but it may run one.
  function withIndex(root, then) {
    if (entries) { then(); return; }
    pending.push(then);
    if (loading) return;
    loading = true;
    var script = document.createElement('script');
    script.src = root + 'assets/search-index.js';
    script.onload = function () {
      prepare();
      pending.splice(0).forEach(function (f) { f(); });
    };
    script.onerror = function () { loading = false; pending = []; };
    document.head.appendChild(script);
  }

  // 0 the whole name, 1 every word the beginning of a word of the name,
  // 2 every word that or a name of the same sound; -1 no match.
  function rank(entry, query) {
    if (entry.folded === query.folded) return 0;
    var prefixOnly = true;
    for (var q = 0; q < query.words.length; q++) {
      var w = query.words[q];
      var prefix = entry.words.some(function (e) { return e.startsWith(w); });
      if (prefix) continue;
      prefixOnly = false;
      var codes = query.codes[q];
      var sounds = (codes.soundex && entry.soundex.indexOf(codes.soundex) >= 0) ||
        codes.dm.some(function (c) { return entry.dm.indexOf(c) >= 0; });
      if (!sounds) return -1;
    }
    return prefixOnly ? 1 : 2;
  }

  var SHOWN = 50;

  function show(box, text, root) {
    while (box.firstChild) box.removeChild(box.firstChild);
    var words = foldedWords(text);
    if (!words.length) return;
    var query = {
      folded: words.join(' '), words: words,
      codes: words.map(function (w) { return { soundex: w.length > 1 ? soundex(w) : '', dm: w.length > 1 ? daitchMokotoff(w) : [] }; })
    };
    var found = [];
    entries.forEach(function (entry) {
      var r = rank(entry, query);
      if (r >= 0) found.push({ entry: entry, rank: r });
    });
    found.sort(function (a, b) { return a.rank - b.rank || a.entry.name.localeCompare(b.entry.name); });
    var summary = document.createElement('p');
    summary.className = 'summary';
    summary.textContent = found.length === 0 ? 'No names found.'
      : found.length === 1 ? '1 name found:'
      : found.length > SHOWN ? found.length + ' names found; the first ' + SHOWN + ' are shown, type more to narrow them:'
      : found.length + ' names found:';
    box.appendChild(summary);
    if (!found.length) return;
    var list = document.createElement('ul');
    found.slice(0, SHOWN).forEach(function (f) {
      var item = document.createElement('li');
      var link = document.createElement('a');
      link.href = root + f.entry.href;
      var name = document.createElement('bdi');
      name.textContent = f.entry.name;
      link.appendChild(name);
      var where = document.createElement('span');
      where.className = 'where';
      where.textContent = ' (' + f.entry.where + ')';
      link.appendChild(where);
      item.appendChild(link);
      if (f.entry.years) {
        var years = document.createElement('span');
        years.className = 'years';
        years.textContent = ' ' + f.entry.years;
        item.appendChild(years);
      }
      if (f.rank === 2) {
        var alike = document.createElement('span');
        alike.className = 'alike';
        alike.textContent = ' sounds alike';
        item.appendChild(alike);
      }
      list.appendChild(item);
    });
    box.appendChild(list);
  }

  function start() {
    var form = document.querySelector('form.search');
    if (!form) return;
    var input = form.querySelector('input');
    var box = form.querySelector('.results');
    var root = form.getAttribute('data-root') || '';
    var timer = null;
    var run = function () {
      var text = input.value;
      withIndex(root, function () { show(box, text, root); });
    };
    input.addEventListener('focus', function () { withIndex(root, function () {}); });
    input.addEventListener('input', function () {
      clearTimeout(timer);
      timer = setTimeout(run, 150);
    });
    form.addEventListener('submit', function (event) {
      event.preventDefault();
      clearTimeout(timer);
      run();
    });
  }

  window.kinfolioSoundsLike = { foldedWords: foldedWords, soundex: soundex, daitchMokotoff: daitchMokotoff };
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
  else start();
}());
