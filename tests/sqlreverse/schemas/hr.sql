-- Departments and employees in the classic human-resources layout: each
-- employee's manager is an employee, each department has a manager and
-- employees belong to departments, so the two tables refer to each other;
-- the job history is keyed by employee and start date.
CREATE TABLE departments (
  department_id INTEGER NOT NULL PRIMARY KEY,
  department_name VARCHAR(30) NOT NULL,
  manager_id INTEGER
);
CREATE TABLE employees (
  employee_id INTEGER NOT NULL PRIMARY KEY,
  last_name VARCHAR(25) NOT NULL,
  salary NUMERIC(8,2),
  manager_id INTEGER,
  department_id INTEGER,
  CONSTRAINT emp_manager_fk FOREIGN KEY (manager_id) REFERENCES employees (employee_id),
  CONSTRAINT emp_dept_fk FOREIGN KEY (department_id) REFERENCES departments (department_id)
);
ALTER TABLE departments ADD CONSTRAINT dept_mgr_fk FOREIGN KEY (manager_id) REFERENCES employees (employee_id);
CREATE TABLE job_history (
  employee_id INTEGER NOT NULL,
  start_date DATE NOT NULL,
  end_date DATE NOT NULL,
  PRIMARY KEY (employee_id, start_date),
  CONSTRAINT history_emp_fk FOREIGN KEY (employee_id) REFERENCES employees (employee_id)
);
