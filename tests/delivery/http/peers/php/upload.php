<?php
// PHP's own form parsing as a second receiver of uploads: writes what
// $_POST and $_FILES hold in the records' format (peers/records.py).
function hexed($text) { return $text === '' ? '-' : bin2hex($text); }

$lines = ['method ' . $_SERVER['REQUEST_METHOD'], 'path ' . hexed($_SERVER['REQUEST_URI']),
          'authorization ' . hexed($_SERVER['HTTP_AUTHORIZATION'] ?? ''), 'proxy-authorization -',
          'body-size ' . (int)($_SERVER['CONTENT_LENGTH'] ?? 0)];
foreach ($_POST as $name => $value) $lines[] = 'field ' . hexed($name) . ' ' . hexed($value);
foreach ($_FILES as $field => $file) {
  if ($file['error'] !== UPLOAD_ERR_OK) continue;
  $lines[] = 'file ' . hexed($field) . ' ' . hexed($file['name']) . ' ' . $file['size'] . ' ' .
             hash_file('crc32b', $file['tmp_name']);
}
$record = getenv('VX_RECORDS') . '/' . basename($_GET['record'] ?? 'php') . '.txt';
file_put_contents($record . '.part', implode("\n", $lines) . "\n");
rename($record . '.part', $record);
echo 'OK';
