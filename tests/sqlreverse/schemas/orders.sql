-- An order schema as shops write it: customers, products, orders, order
-- lines keyed by order and line number, shipments keyed by the line, and
-- products tagged through a link table. Runs on SQLite, PostgreSQL and
-- MySQL alike.
CREATE TABLE customers (
  customer_id INTEGER NOT NULL PRIMARY KEY,
  name VARCHAR(60) NOT NULL,
  email VARCHAR(120) UNIQUE
);
CREATE TABLE products (
  product_id INTEGER NOT NULL PRIMARY KEY,
  title VARCHAR(80) NOT NULL,
  price NUMERIC(10,2) NOT NULL CHECK (price >= 0)
);
CREATE TABLE orders (
  order_id INTEGER NOT NULL PRIMARY KEY,
  customer_id INTEGER NOT NULL,
  ordered_on DATE,
  CONSTRAINT orders_customer FOREIGN KEY (customer_id) REFERENCES customers (customer_id)
);
CREATE TABLE order_lines (
  order_id INTEGER NOT NULL,
  line_no INTEGER NOT NULL,
  product_id INTEGER NOT NULL,
  quantity INTEGER DEFAULT 1 NOT NULL,
  PRIMARY KEY (order_id, line_no),
  CONSTRAINT lines_order FOREIGN KEY (order_id) REFERENCES orders (order_id),
  CONSTRAINT lines_product FOREIGN KEY (product_id) REFERENCES products (product_id)
);
CREATE TABLE tags (
  tag_id INTEGER NOT NULL PRIMARY KEY,
  label VARCHAR(30) NOT NULL
);
CREATE TABLE product_tags (
  product_id INTEGER NOT NULL,
  tag_id INTEGER NOT NULL,
  PRIMARY KEY (product_id, tag_id),
  CONSTRAINT pt_product FOREIGN KEY (product_id) REFERENCES products (product_id),
  CONSTRAINT pt_tag FOREIGN KEY (tag_id) REFERENCES tags (tag_id)
);
CREATE TABLE shipments (
  order_id INTEGER NOT NULL,
  line_no INTEGER NOT NULL,
  shipped_on DATE NOT NULL,
  PRIMARY KEY (order_id, line_no),
  CONSTRAINT shipment_line FOREIGN KEY (order_id, line_no) REFERENCES order_lines (order_id, line_no)
);
CREATE INDEX orders_by_date ON orders (ordered_on);
CREATE VIEW big_orders AS SELECT order_id FROM order_lines WHERE quantity > 10;
